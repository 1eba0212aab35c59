#pragma once

#include "platform/clipboard.h"

namespace velcaro {

// Clipboard over QClipboard. How the format codes map onto MIME types:
//   1       plain text            text/plain (QMimeData::hasText)
//   2       bitmap                any image (QMimeData::hasImage)
//   8       device-indep. bitmap  image/bmp
//   0xBF01  RTF document          text/rtf, also text/richtext and application/rtf
//   0xBF02  (no counterpart on this platform: always absent)
// Any other code is absent. The RTF document is handed over as a string whose characters
// are its bytes (RTF is a 7-bit format; any 8-bit bytes keep their values).
class QtClipboard : public Clipboard {
public:
    void Clear() override;
    bool GetFormat(std::int16_t code) override;
    QString GetText(std::int16_t code) override;

    static const char* const kRtfTypes[3];
};

} // namespace velcaro
