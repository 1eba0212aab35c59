#pragma once

#include <QString>
#include <cstdint>

namespace velcaro {

// Clipboard format codes, 16-bit signed as the capture command uses them.
namespace clipformat {
constexpr std::int16_t kText = 1;
constexpr std::int16_t kBitmap = 2;
constexpr std::int16_t kDib = 8;
constexpr std::int16_t kRtf = static_cast<std::int16_t>(0xBF01);
constexpr std::int16_t kRtfAlt = static_cast<std::int16_t>(0xBF02);
// The copied HTML; the program's own code, which the capture command never asks for.
constexpr std::int16_t kHtml = static_cast<std::int16_t>(0xBF03);
} // namespace clipformat

// The system clipboard. GetFormat answers for any code; an operation fails (throws
// VelcaroError) only when the clipboard cannot be used at all.
class Clipboard {
public:
    virtual ~Clipboard() = default;

    virtual void Clear() = 0;
    virtual bool GetFormat(std::int16_t code) = 0;
    // The clipboard's text in that format, or an empty string when there is none.
    virtual QString GetText(std::int16_t code) = 0;
};

} // namespace velcaro
