#pragma once

#include <QDate>
#include <QString>

namespace velcaro {

// How old the web engine's security fixes are. The engine names the Chromium release whose
// fixes it carries, its security patch level ("108.0.5359.94"); Chromium's stable release
// dates (a table of public dates) date it.
struct EngineAge {
    // The version the fixes are dated from: the patch level, or the engine's own Chromium
    // version when the patch level cannot be read (its fixes are at least that recent).
    QString fixesVersion;
    bool patchLevelRead = false;
    // The stable release date of that major version; invalid when no version can be read.
    QDate fixesDate;
    // The fixes are more than a year older than the reference date, or of no known date.
    bool outdated = true;

    // Reads the engine's two version strings, as `qWebEngineChromiumSecurityPatchVersion()`
    // and `qWebEngineChromiumVersion()` give them, against `reference`.
    static EngineAge of(const QString& securityPatchVersion, const QString& chromiumVersion,
                        const QDate& reference);
    // The stable release date of Chromium `major`: the table's, between two of its entries on
    // the line that joins them, past its last four weeks a version (Chromium's cadence);
    // invalid before its first entry.
    static QDate chromiumReleaseDate(int major);
    // What the age is measured against: the later of the day the program was configured for
    // building and today, so that an engine ages after the build too and a clock set in the
    // past does not make it young.
    static QDate referenceDate();

    // "correzioni di sicurezza fino a Chromium 108.0.5359.94 (novembre 2022)", in Italian.
    QString describeFixes() const;
    // For an outdated engine, what the user of the window should know and do, in Italian;
    // empty otherwise.
    QString warning() const;
};

} // namespace velcaro
