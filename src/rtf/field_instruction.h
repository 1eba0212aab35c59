#pragma once

#include <QString>

namespace velcaro::rtf {

// The link target of a field instruction, or an empty string when the field is no link:
// HYPERLINK "target" [\l "anchor"] gives target#anchor (only #anchor without a target).
// Inside quotes \" stands for a quote and \\ for a backslash; switches other than \l are
// passed over, and a word without quotes is an argument as well.
QString hyperlinkTarget(const QString& instruction);

} // namespace velcaro::rtf
