#include "batch_capture/capture_target.h"

#include "platform/typed_address.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>

namespace velcaro {
namespace {

// What keeps a local file from being a page: the engine would show a folder listing, an
// image or a download instead of a text.
QString localProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("file inesistente");
    if (info.isDir())
        return QStringLiteral("è una cartella, non una pagina");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("file illeggibile (%1)").arg(file.errorString());
    const QByteArray head = file.peek(4096);
    // Text in UTF-16 starts with its byte-order mark; any other text has no zero bytes.
    const bool utf16 = head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff");
    if (head.contains('\0') && !utf16)
        return QStringLiteral("file binario, non una pagina");
    const QMimeType type = QMimeDatabase().mimeTypeForFileNameAndData(path, head);
    if (!type.inherits(QStringLiteral("text/plain")) &&
        !type.inherits(QStringLiteral("application/xhtml+xml")) &&
        !type.inherits(QStringLiteral("application/xml")))
        return QStringLiteral("non è una pagina né un testo (%1)").arg(type.name());
    return {};
}

// What makes the text of an address unusable whatever it names.
QString textProblem(const QString& address) {
    if (address.size() > CaptureTarget::kMaxAddressChars)
        return QStringLiteral("indirizzo troppo lungo (%1 caratteri, al massimo %2)")
            .arg(address.size())
            .arg(CaptureTarget::kMaxAddressChars);
    if (address.contains(QChar(0)) || address.contains(QLatin1String("%00")))
        return QStringLiteral("l'indirizzo contiene un carattere nullo");
    if (address.contains(QChar::ReplacementCharacter))
        return QStringLiteral("l'indirizzo non è testo UTF-8 valido");
    return {};
}

// Longer addresses that fail are shown cut to this length.
constexpr int kShownAddressChars = 200;

} // namespace

CaptureTarget captureTarget(const QString& address, const QString& workingFolder) {
    CaptureTarget target;
    target.address = address;
    target.problem = textProblem(address);
    if (!target.problem.isEmpty()) {
        if (address.size() > kShownAddressChars)
            target.address = address.left(kShownAddressChars) + QStringLiteral("…");
        return target;
    }
    const QString trimmed = address.trimmed();
    AddressReading reading;
    reading.missingPathsAreLocal = true;
    target.url = readAddress(trimmed, workingFolder, pathExists, reading).url;
    if (trimmed.isEmpty())
        target.problem = QStringLiteral("indirizzo vuoto");
    else if (!target.url.isValid())
        target.problem = QStringLiteral("indirizzo non valido");
    else if (target.url.isLocalFile())
        target.problem = localProblem(target.url.toLocalFile());
    return target;
}

std::vector<CaptureTarget> captureTargets(const QStringList& addresses,
                                          const QString& workingFolder, int* repeated) {
    std::vector<CaptureTarget> targets;
    QSet<QString> seen;
    *repeated = 0;
    for (const QString& address : addresses) {
        CaptureTarget target = captureTarget(address, workingFolder);
        target.index = static_cast<int>(&address - addresses.constData());
        const QString key = target.url.toString(QUrl::FullyEncoded);
        if (target.problem.isEmpty() && seen.contains(key)) {
            ++*repeated;
            continue;
        }
        seen.insert(key);
        targets.push_back(std::move(target));
    }
    return targets;
}

} // namespace velcaro
