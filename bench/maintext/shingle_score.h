#pragma once

#include <QString>

namespace velcaro::bench {

// The article extraction benchmark's score of one page: the texts are split into words (runs
// of word characters), and the 4-word shingles of each side are counted with their
// multiplicity; true positives are the shingles in common. A text of fewer than four words
// is one shingle of those words.
struct ShingleScore {
    double precision = 0;
    double recall = 0;
    double f1 = 0;
    // The two texts are equal once white space is normalized.
    bool exact = false;
};

ShingleScore scoreText(const QString& predicted, const QString& truth);

} // namespace velcaro::bench
