#pragma once

#include <QString>
#include <QStringList>

namespace velcaro::bench {

// A captured text as passages are looked up in it: Unicode NFKC, lowercase, every run of white
// space one space.
class PassageText {
public:
    explicit PassageText(const QString& text);

    // The passage, compared the same way, is a substring of the text.
    bool contains(const QString& passage) const;
    // The passages of `passages` the text does not hold.
    QStringList absent(const QStringList& passages) const;

    static QString normalized(const QString& text);

private:
    QString text_;
};

// A page's score on its passages: recall = must found / must; precision = must found / (must
// found + must not found), 0 when no must passage was found; F1 their harmonic mean.
struct PassageScore {
    int must = 0;
    int mustFound = 0;
    int mustNotFound = 0;
    double precision = 0;
    double recall = 0;
    double f1 = 0;
};

PassageScore scorePassages(const PassageText& text, const QStringList& must,
                           const QStringList& mustNot);

} // namespace velcaro::bench
