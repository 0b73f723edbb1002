// Where the characters of a code-page string stand on a character grid. In a character
// set where one character may take more bytes than the columns it fills (UTF-8, GB18030,
// EUC-JP, ...), a character takes its display width: two columns for an East Asian wide
// or fullwidth character, one for any other. In single- and double-byte sets (Latin-1,
// CP950, GBK, Shift_JIS, ...) every byte is one column, as their wide characters are two
// bytes, so text lays out exactly as their bytes count.
#pragma once

#include <iconv.h>
#include <string>
#include <string_view>
#include <vector>

namespace qrp::exporter {

// 2 for a wide or fullwidth code point (Unicode East_Asian_Width W or F), else 1.
int DisplayWidth(char32_t c);

// One column of a laid-out line: the bytes of the character that starts there, or none
// for the right half of a wide character.
struct TextCell {
    std::string Bytes;
    bool RightHalf() const { return Bytes.empty(); }
};

class DisplayColumns {
  public:
    // Empty: LocaleEncoding(). A character set iconv does not know counts bytes.
    explicit DisplayColumns(const std::string& encoding);
    ~DisplayColumns();
    DisplayColumns(const DisplayColumns&) = delete;
    DisplayColumns& operator=(const DisplayColumns&) = delete;

    // The columns of text. A byte that starts no character of the set takes one column of
    // its own, so every byte of the input stays in the output.
    std::vector<TextCell> Cells(std::string_view text);
    // False where a byte is a column.
    bool ByCharacters() const { return FDecoder != kNoDecoder; }

  private:
    static inline const iconv_t kNoDecoder = reinterpret_cast<iconv_t>(-1);
    iconv_t FDecoder = kNoDecoder;
};

}  // namespace qrp::exporter
