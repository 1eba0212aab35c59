#pragma once

#include <QObject>
#include <QString>
#include <QTextBlock>
#include <functional>

class QTextDocument;

namespace velcaro {

// Reads the plain text of a document a slice of blocks at a time, each from the event loop,
// so that the window goes on while a long text is read: the text QTextDocument::toPlainText
// gives. A change of the document abandons the reading, and so does the end of the reader's
// owner.
class QtPlainTextReader : public QObject {
public:
    // Starts reading `document` as a child of `owner`; `done` gets the text once read.
    static void start(const QTextDocument& document, QObject& owner,
                      std::function<void(const QString&)> done);

private:
    QtPlainTextReader(const QTextDocument& document, QObject& owner,
                      std::function<void(const QString&)> done);
    void readSlice();

    QTextBlock next_;
    QString text_;
    std::function<void(const QString&)> done_;
    bool abandoned_ = false;
};

} // namespace velcaro
