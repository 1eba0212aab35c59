#include "batch_capture/crawl_scope.h"

#include <QDir>
#include <QFileInfo>
#include <QUrlQuery>
#include <algorithm>

namespace velcaro {
namespace {

// Extensions of files a browser shows as no page of text.
const QSet<QString>& notPageExtensions() {
    static const QSet<QString> extensions{
        "7z",   "apk",   "avi", "avif", "bin", "bmp",  "bz2", "css",  "csv",  "deb",  "dmg",
        "doc",  "docx",  "eot", "epub", "exe", "flac", "gif", "gz",   "ico",  "iso",  "jar",
        "jpeg", "jpg",   "js",  "json", "m4a", "mkv",  "mov", "mp3",  "mp4",  "msi",  "odp",
        "ods",  "odt",   "oga", "ogg",  "ogv", "otf",  "png", "ppt",  "pptx", "rar",  "rpm",
        "rss",  "svg",   "tar", "tgz",  "tif", "tiff", "ttf", "wasm", "wav",  "webm", "webp",
        "woff", "woff2", "xls", "xlsx", "xml", "xz",   "zip"};
    return extensions;
}

// The folder of a path: what is before its last slash, with the slash.
QString folderOf(const QString& path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

bool isWeb(const QUrl& url) {
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

// The digits of a text as one 0 a run: "2024-05" and "1999-12" are one shape.
QString digitShape(const QString& text) {
    QString shape;
    shape.reserve(text.size());
    bool inDigits = false;
    for (const QChar c : text) {
        if (!c.isDigit() || !inDigits)
            shape += c.isDigit() ? QChar(u'0') : c;
        inDigits = c.isDigit();
    }
    return shape;
}

// The path without its `.` and `..` segments, as RFC 3986 removes them (5.2.4).
QString withoutDotSegments(const QString& path) {
    QStringList kept;
    const QStringList segments = path.split(u'/');
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QString& segment = segments.at(i);
        const bool last = i + 1 == segments.size();
        if (segment == QLatin1String(".") || segment == QLatin1String("..")) {
            if (segment == QLatin1String("..") && kept.size() > 1)
                kept.removeLast();
            // A path that ends in a dot segment names the folder.
            if (last)
                kept << QString();
            continue;
        }
        kept << segment;
    }
    return kept.join(u'/');
}

bool repeatsSegment(const QString& path) {
    QHash<QString, int> counts;
    for (const QString& segment : path.split(u'/', Qt::SkipEmptyParts))
        if (++counts[segment] >= CrawlScope::kMaxSegmentRepeats)
            return true;
    return false;
}

bool queryTrap(const QUrl& url) {
    if (!url.hasQuery())
        return false;
    const auto items = QUrlQuery(url).queryItems(QUrl::FullyEncoded);
    if (items.size() > CrawlScope::kMaxQueryParameters)
        return true;
    QSet<QString> keys;
    for (const auto& item : items) {
        if (keys.contains(item.first))
            return true;
        keys.insert(item.first);
    }
    return false;
}

} // namespace

QString siteDomain(const QString& host) {
    // An IPv4 address is all digits and dots; an IPv6 one has colons.
    const bool address =
        host.contains(u':') ||
        std::all_of(host.cbegin(), host.cend(), [](QChar c) { return c.isDigit() || c == u'.'; });
    if (address)
        return host;
    const QStringList labels = host.split(u'.', Qt::SkipEmptyParts);
    if (labels.size() <= 2)
        return host;
    const QString& second = labels.at(labels.size() - 2);
    const bool countrySecondLevel =
        labels.back().size() == 2 && (second.size() <= 3 || second == QLatin1String("gouv"));
    return labels.mid(labels.size() - (countrySecondLevel ? 3 : 2)).join(u'.');
}

CrawlScope::CrawlScope(const CrawlOptions& options, const QList<QUrl>& starts)
    : scope_(options.scope) {
    for (const QUrl& given : starts) {
        const QUrl url = normalized(given, options.ignoreQuery);
        Start start{url, folderOf(url.path()), siteDomain(url.host())};
        if (url.isLocalFile()) {
            if (scope_ == CrawlOptions::Scope::Host || scope_ == CrawlOptions::Scope::Domain)
                problem_ = QStringLiteral("un file locale si scandisce solo con --scope prefix "
                                          "(la sua cartella) o page.");
            const QString folder = QFileInfo(url.toLocalFile()).absolutePath();
            const QString real = QFileInfo(folder).canonicalFilePath();
            start.folder = (real.isEmpty() ? folder : real) + u'/';
        }
        startKeys_.insert(key(url));
        starts_.push_back(start);
    }
    const auto compile = [this](const QStringList& patterns,
                                std::vector<QRegularExpression>* into) {
        for (const QString& pattern : patterns) {
            QRegularExpression re(pattern);
            if (!re.isValid())
                problem_ = QStringLiteral("espressione regolare non valida «%1»: %2.")
                               .arg(pattern, re.errorString());
            into->push_back(re);
        }
    };
    compile(options.include, &include_);
    compile(options.exclude, &exclude_);
}

QUrl CrawlScope::normalized(const QUrl& url, bool ignoreQuery) {
    QUrl::FormattingOptions adjust = QUrl::RemoveFragment;
    if (ignoreQuery)
        adjust |= QUrl::RemoveQuery;
    // Read back from its fully encoded form, the address has every escape in upper case and
    // the characters that need none decoded.
    QUrl read = QUrl(url.adjusted(adjust).toString(QUrl::FullyEncoded), QUrl::StrictMode);
    if (!read.isValid())
        read = url.adjusted(adjust);
    if (isWeb(read) || read.isLocalFile())
        read.setPath(withoutDotSegments(read.path(QUrl::FullyEncoded)), QUrl::TolerantMode);
    read.setScheme(read.scheme().toLower());
    if ((read.scheme() == QLatin1String("http") && read.port() == 80) ||
        (read.scheme() == QLatin1String("https") && read.port() == 443))
        read.setPort(-1);
    if (isWeb(read) && read.path().isEmpty())
        read.setPath(QStringLiteral("/"));
    if (read.hasQuery() && read.query().isEmpty())
        read.setQuery(QString());
    return read;
}

QString CrawlScope::key(const QUrl& normalized) {
    return normalized.toString(QUrl::FullyEncoded);
}

QString CrawlScope::pattern(const QUrl& normalized) {
    if (!normalized.hasQuery())
        return {};
    QStringList parts;
    for (const auto& [name, value] : QUrlQuery(normalized).queryItems(QUrl::FullyEncoded))
        parts << name + u'=' + digitShape(value);
    parts.sort();
    return normalized.authority() + normalized.path(QUrl::FullyEncoded) + u'?' + parts.join(u'&');
}

bool CrawlScope::inScope(const QUrl& url) const {
    for (const Start& start : starts_) {
        if (start.url.isLocalFile()) {
            if (!url.isLocalFile())
                continue;
            // The real path, so that a symbolic link cannot lead out of the folder; a file
            // that is not there is taken, and fails as missing.
            const QString path = url.toLocalFile();
            const QString real = QFileInfo(path).canonicalFilePath();
            if ((real.isEmpty() ? QDir::cleanPath(path) : real).startsWith(start.folder))
                return true;
            continue;
        }
        if (!isWeb(url))
            continue;
        switch (scope_) {
        case CrawlOptions::Scope::Page:
            break;
        case CrawlOptions::Scope::Prefix:
            if (url.host() == start.url.host() && url.port() == start.url.port() &&
                url.path().startsWith(start.folder))
                return true;
            break;
        case CrawlOptions::Scope::Host:
            if (url.host() == start.url.host() && url.port() == start.url.port())
                return true;
            break;
        case CrawlOptions::Scope::Domain:
            if (url.host() == start.domain || url.host().endsWith(u'.' + start.domain))
                return true;
            break;
        }
    }
    return false;
}

CrawlScope::Verdict CrawlScope::judge(const QUrl& url) const {
    const QString address = key(url);
    if (startKeys_.contains(address))
        return Verdict::Page;
    if (!inScope(url))
        return Verdict::OutOfScope;
    const auto matches = [&address](const std::vector<QRegularExpression>& list) {
        for (const QRegularExpression& re : list)
            if (re.match(address).hasMatch())
                return true;
        return false;
    };
    if ((!include_.empty() && !matches(include_)) || matches(exclude_))
        return Verdict::OutOfScope;
    if (address.size() > kMaxAddressChars || repeatsSegment(url.path()) || queryTrap(url))
        return Verdict::Trap;
    const QString name = url.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1).toLower();
    if (extension == QLatin1String("pdf"))
        return Verdict::Pdf;
    return notPageExtensions().contains(extension) ? Verdict::NotAPage : Verdict::Page;
}

} // namespace velcaro
