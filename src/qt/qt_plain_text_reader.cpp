#include "qt/qt_plain_text_reader.h"

#include <QTextDocument>

namespace velcaro {
namespace {

constexpr qsizetype kSliceCharacters = 256 * 1024;

} // namespace

void QtPlainTextReader::start(const QTextDocument& document, QObject& owner,
                              std::function<void(const QString&)> done) {
    auto* reader = new QtPlainTextReader(document, owner, std::move(done));
    QMetaObject::invokeMethod(reader, &QtPlainTextReader::readSlice, Qt::QueuedConnection);
}

QtPlainTextReader::QtPlainTextReader(const QTextDocument& document, QObject& owner,
                                     std::function<void(const QString&)> done)
    : QObject(&owner), next_(document.begin()), done_(std::move(done)) {
    text_.reserve(document.characterCount());
    connect(&document, &QTextDocument::contentsChange, this, [this] {
        abandoned_ = true;
        deleteLater();
    });
}

// Blocks are joined by line feeds; inside a block a line separator is a line feed and a
// no-break space a space, as toPlainText has them.
void QtPlainTextReader::readSlice() {
    if (abandoned_)
        return;
    QString slice;
    while (next_.isValid() && slice.size() < kSliceCharacters) {
        if (next_ != next_.document()->begin())
            slice += QLatin1Char('\n');
        slice += next_.text();
        next_ = next_.next();
    }
    text_ += slice.replace(QChar::LineSeparator, QLatin1Char('\n'))
                 .replace(QChar::Nbsp, QLatin1Char(' '));
    if (next_.isValid()) {
        QMetaObject::invokeMethod(this, &QtPlainTextReader::readSlice, Qt::QueuedConnection);
        return;
    }
    done_(text_);
    deleteLater();
}

} // namespace velcaro
