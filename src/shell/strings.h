#pragma once

#include <QString>

namespace velcaro {

// Removes leading and trailing space characters (U+0020) only; tabs and other white space
// stay, as they are part of what the user typed.
QString trimSpaces(const QString& s);

} // namespace velcaro
