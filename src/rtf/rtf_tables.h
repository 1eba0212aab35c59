#pragma once

#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace velcaro::rtf {

struct FontEntry {
    QString family;
    int codePage = 0; // 0: the document's code page
};

// What a document being read declares once and refers to by number: fonts, colours (entry 0
// is "auto", an invalid QColor) and hyperlink targets (referred to 1-based).
struct RtfTables {
    QHash<int, FontEntry> fonts;
    std::vector<QColor> colors;
    QStringList links;
    int codePage = 1252;
};

} // namespace velcaro::rtf
