#include "passage_score.h"

namespace velcaro::bench {

PassageText::PassageText(const QString& text) : text_(normalized(text)) {}

QString PassageText::normalized(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toLower().simplified();
}

bool PassageText::contains(const QString& passage) const {
    return text_.contains(normalized(passage));
}

QStringList PassageText::absent(const QStringList& passages) const {
    QStringList list;
    for (const QString& passage : passages)
        if (!contains(passage))
            list << passage;
    return list;
}

PassageScore scorePassages(const PassageText& text, const QStringList& must,
                           const QStringList& mustNot) {
    PassageScore score;
    score.must = static_cast<int>(must.size());
    score.mustFound = static_cast<int>(must.size() - text.absent(must).size());
    score.mustNotFound = static_cast<int>(mustNot.size() - text.absent(mustNot).size());
    if (score.must > 0)
        score.recall = static_cast<double>(score.mustFound) / score.must;
    if (score.mustFound > 0)
        score.precision =
            static_cast<double>(score.mustFound) / (score.mustFound + score.mustNotFound);
    const double sum = score.precision + score.recall;
    score.f1 = sum > 0 ? 2 * score.precision * score.recall / sum : 0;
    return score;
}

} // namespace velcaro::bench
