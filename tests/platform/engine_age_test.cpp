// The age of the web engine's security fixes: which version dates them, its date, and whether
// it is more than a year older than the reference day.

#include "platform/engine_age.h"

#include <gtest/gtest.h>

using namespace velcaro;

namespace {

TEST(EngineAge, DatesTheFixesAndTellsThemOldAfterAYear) {
    const struct {
        const char* patchLevel;
        const char* chromium;
        QDate reference;
        const char* fixesVersion;
        QDate fixesDate;
        bool outdated;
    } cases[] = {
        // Qt 6.4.2 on Debian 12.
        {"108.0.5359.94", "102.0.5005.177", {2026, 12, 10}, "108.0.5359.94", {2022, 11, 29}, true},
        // A year to the day is not yet more than a year.
        {"108.0.5359.94", "102.0.5005.177", {2023, 11, 29}, "108.0.5359.94", {2022, 11, 29}, false},
        {"108.0.5359.94", "102.0.5005.177", {2023, 11, 30}, "108.0.5359.94", {2022, 11, 29}, true},
        {" 122.0.6261.128 ",
         "118.0.5993.220",
         {2024, 6, 1},
         "122.0.6261.128",
         {2024, 2, 20},
         false},
        // Between two entries of the table, on the line joining them.
        {"131.0.6778.265", "122.0.6261.171", {2025, 6, 1}, "131.0.6778.265", {2024, 11, 29}, false},
        // Past the table, four weeks a version.
        {"160.0.1.2", "158.0.1.2", {2027, 6, 1}, "160.0.1.2", {2027, 1, 26}, false},
        // An unreadable patch level: the engine's own Chromium dates the fixes.
        {"", "102.0.5005.177", {2023, 1, 1}, "102.0.5005.177", {2022, 5, 24}, false},
        {"sconosciuto", "102.0.5005.177", {2026, 12, 10}, "102.0.5005.177", {2022, 5, 24}, true},
        // No readable version, or one older than the table: no date, taken as old.
        {"", "", {2026, 12, 10}, "", {}, true},
        {"70.0.3538.110", "", {2019, 1, 1}, "70.0.3538.110", {}, true},
    };
    for (const auto& c : cases) {
        const EngineAge age = EngineAge::of(QString::fromLatin1(c.patchLevel),
                                            QString::fromLatin1(c.chromium), c.reference);
        const std::string row = std::string(c.patchLevel) + " / " + c.chromium;
        EXPECT_EQ(age.fixesVersion, QString::fromLatin1(c.fixesVersion)) << row;
        EXPECT_EQ(age.fixesDate, c.fixesDate) << row;
        EXPECT_EQ(age.outdated, c.outdated) << row;
    }
}

} // namespace
