#include "platform/engine_age.h"

#include <QLocale>
#include <algorithm>
#include <iterator>

namespace velcaro {
namespace {

struct Release {
    int major;
    QDate stable;
};

// Stable release dates of Chromium, from Chromium's public release calendar; 156's is
// approximate (October 2026). Versions between two entries are dated on the line joining them.
const Release kReleases[] = {
    {80, {2020, 2, 4}},    {87, {2020, 11, 17}}, {90, {2021, 4, 14}},   {94, {2021, 9, 21}},
    {96, {2021, 11, 15}},  {100, {2022, 3, 29}}, {102, {2022, 5, 24}},  {104, {2022, 8, 2}},
    {108, {2022, 11, 29}}, {110, {2023, 2, 7}},  {112, {2023, 4, 4}},   {115, {2023, 7, 18}},
    {118, {2023, 10, 10}}, {120, {2023, 12, 5}}, {122, {2024, 2, 20}},  {124, {2024, 4, 16}},
    {126, {2024, 6, 11}},  {128, {2024, 8, 20}}, {130, {2024, 10, 15}}, {132, {2025, 1, 14}},
    {134, {2025, 3, 4}},   {136, {2025, 4, 29}}, {138, {2025, 6, 24}},  {140, {2025, 9, 2}},
    {142, {2025, 10, 28}}, {144, {2026, 1, 13}}, {156, {2026, 10, 6}},
};
// Past the table's last entry.
constexpr int kDaysPerVersion = 28;

// The major version of "108.0.5359.94", 0 when the text is no version.
int majorOf(const QString& version) {
    const QString first = version.trimmed().section(u'.', 0, 0);
    bool ok = false;
    const int major = first.toInt(&ok);
    return ok && major > 0 ? major : 0;
}

// "novembre 2022": a version's month, not its day, since most dates are the table's estimate.
QString monthOf(const QDate& date) {
    return QLocale(QLocale::Italian).toString(date, QStringLiteral("MMMM yyyy"));
}

} // namespace

QDate EngineAge::chromiumReleaseDate(int major) {
    const Release& last = *std::prev(std::end(kReleases));
    if (major >= last.major)
        return last.stable.addDays(qint64(major - last.major) * kDaysPerVersion);
    const auto after =
        std::upper_bound(std::begin(kReleases), std::end(kReleases), major,
                         [](int value, const Release& release) { return value < release.major; });
    if (after == std::begin(kReleases))
        return {};
    const Release& before = *std::prev(after);
    const qint64 span = before.stable.daysTo(after->stable);
    return before.stable.addDays(span * (major - before.major) / (after->major - before.major));
}

QDate EngineAge::referenceDate() {
    const QDate built = QDate::fromString(QStringLiteral(VELCARO_BUILD_DATE), Qt::ISODate);
    return std::max(built, QDate::currentDate());
}

EngineAge EngineAge::of(const QString& securityPatchVersion, const QString& chromiumVersion,
                        const QDate& reference) {
    EngineAge age;
    age.patchLevelRead = majorOf(securityPatchVersion) > 0;
    age.fixesVersion = (age.patchLevelRead ? securityPatchVersion : chromiumVersion).trimmed();
    if (const int major = majorOf(age.fixesVersion))
        age.fixesDate = chromiumReleaseDate(major);
    age.outdated = !age.fixesDate.isValid() || age.fixesDate.addYears(1) < reference;
    return age;
}

QString EngineAge::describeFixes() const {
    if (!fixesDate.isValid())
        return QStringLiteral("correzioni di sicurezza di data sconosciuta (il motore non dice "
                              "di quale versione di Chromium sono)");
    const QString month =
        QLocale(QLocale::Italian).toString(fixesDate, QStringLiteral("MMMM yyyy"));
    if (!patchLevelRead)
        return QStringLiteral("correzioni di sicurezza di data sconosciuta, almeno quelle di "
                              "Chromium %1 (%2)")
            .arg(fixesVersion, month);
    return QStringLiteral("correzioni di sicurezza fino a Chromium %1 (%2)")
        .arg(fixesVersion, month);
}

QString EngineAge::warning() const {
    if (!outdated)
        return {};
    const QString what =
        fixesDate.isValid() && patchLevelRead
            ? QStringLiteral("Le correzioni di sicurezza del motore web di questa finestra "
                             "sono ferme a %1, più di un anno fa")
                  .arg(monthOf(fixesDate))
            : QStringLiteral("Non si sa quanto sono recenti le correzioni di sicurezza del "
                             "motore web di questa finestra");
    return what + QStringLiteral(": aprire qui solo pagine di cui ci si fida. Per le altre, "
                                 "usare Velcaro su una distribuzione più recente, o "
                                 "velcaro --capture, che usa il Chromium aggiornato di Debian "
                                 "dove è installato.");
}

} // namespace velcaro
