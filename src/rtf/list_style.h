#pragma once

#include "rtf/rtf_format.h"

#include <QTextListFormat>

namespace velcaro::rtf {

// Qt's style for a list of ours: a disc for bullets (and for no list).
QTextListFormat::Style qtListStyle(ListStyle style);

// Our style for a Qt list: the numbered styles are ours too, any other is a bullet.
ListStyle listStyleOf(QTextListFormat::Style style);

} // namespace velcaro::rtf
