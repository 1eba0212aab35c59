#include "shingle_score.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace velcaro::bench {
namespace {

constexpr int kShingle = 4;

QStringList words(const QString& text) {
    static const QRegularExpression word(QStringLiteral("\\w+"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    QStringList list;
    for (auto it = word.globalMatch(text); it.hasNext();)
        list << it.next().captured();
    return list;
}

// The text's shingles with their counts; a text shorter than a shingle is one shingle.
QHash<QString, int> shingles(const QString& text) {
    const QStringList list = words(text);
    QHash<QString, int> counts;
    const qsizetype n =
        list.size() < kShingle ? qMin<qsizetype>(list.size(), 1) : list.size() - kShingle + 1;
    for (qsizetype i = 0; i < n; ++i)
        ++counts[list.mid(i, kShingle).join(u' ')];
    return counts;
}

int total(const QHash<QString, int>& counts) {
    int sum = 0;
    for (const int c : counts)
        sum += c;
    return sum;
}

} // namespace

ShingleScore scoreText(const QString& predicted, const QString& truth) {
    const QHash<QString, int> p = shingles(predicted);
    const QHash<QString, int> t = shingles(truth);
    int common = 0;
    for (auto it = p.cbegin(); it != p.cend(); ++it)
        common += qMin(it.value(), t.value(it.key()));
    ShingleScore score;
    const int predictedCount = total(p);
    const int truthCount = total(t);
    score.precision = predictedCount > 0 ? double(common) / predictedCount : 0;
    score.recall = truthCount > 0 ? double(common) / truthCount : 0;
    const double sum = score.precision + score.recall;
    score.f1 = sum > 0 ? 2 * score.precision * score.recall / sum : 0;
    score.exact = predicted.simplified() == truth.simplified();
    return score;
}

} // namespace velcaro::bench
