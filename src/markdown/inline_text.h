#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace velcaro::markdown {

// How a run of text is shown: its emphasis, whether it is code, and the link it belongs to.
struct InlineStyle {
    bool bold = false;
    bool italic = false;
    bool code = false;
    int link = 0;       // the link's number in the document, 0 outside links
    QString linkTarget; // the link's destination, already written for Markdown
};

// The inline content of one block (a paragraph, a heading, a table cell): text runs with their
// style, images and hard line breaks, written as Markdown once the block is complete, when
// each emphasis, link and code span can be seen whole.
//
// Emphasis is written as nested delimiter runs (`*`, `**`, `***`) around the longest stretches
// that share it, with white space moved outside. A delimiter that the Markdown grammar would
// not read as emphasis where it stands (next to punctuation inside a word, or right after
// another closing run) is left out, so that no stray `*` shows: that stretch loses its
// emphasis, never its text.
class InlineText {
public:
    // `text` is white space collapsed already; it is escaped here.
    void addText(QStringView text, const InlineStyle& style);
    // `destination` is written for Markdown already.
    void addImage(QStringView alt, const QString& destination, const InlineStyle& style);
    void addBreak();

    // Whether it has any text or image (spaces and breaks alone are nothing).
    bool isEmpty() const { return !hasContent_; }

    // The lines between hard breaks, without the breaks' own syntax; empty lines at the start
    // and end are dropped.
    QStringList lines() const;
    // One line, breaks written as spaces: for headings and table cells. `inTable` escapes the
    // `|` of code spans.
    QString line(bool inTable) const;

private:
    enum class Kind : uint8_t { Text, Image, Break };
    struct Segment {
        Kind kind;
        uint8_t emphasis;
        bool code;
        int link;
        QString text; // the text, or an image's alternative text
        QString linkTarget;
        QString source; // an image's destination
    };

    QString render(std::size_t from, std::size_t to, bool inTable) const;

    std::vector<Segment> segments_;
    bool hasContent_ = false;
};

} // namespace velcaro::markdown
