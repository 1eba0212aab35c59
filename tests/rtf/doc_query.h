#pragma once

// Finding text in a read document, for checks of its formatting.

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace velcaro::rtf::test {

// The character format inside the first occurrence of `word`.
inline QTextCharFormat formatAt(const QTextDocument& doc, const QString& word) {
    const int at = doc.toPlainText().indexOf(word);
    EXPECT_GE(at, 0) << word.toStdString();
    QTextCursor cursor(const_cast<QTextDocument*>(&doc));
    cursor.setPosition(at + 1);
    return cursor.charFormat();
}

// The first paragraph that contains `text`.
inline QTextBlock blockWith(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().contains(text))
            return b;
    ADD_FAILURE() << "no paragraph with " << text.toStdString();
    return {};
}

} // namespace velcaro::rtf::test
