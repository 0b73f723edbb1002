// Turns the 8-bit text of EMR_EXTTEXTOUTA into UTF-16 by the code page that the font's
// character set stands for (glibc iconv), keeping track of which bytes made each unit so
// that the per-byte advances can follow the characters.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace qrp::emf {

struct DecodedText {
    std::u16string text;
    // For each UTF-16 unit, the index of the first byte of its character, so that units
    // of one character share a value (the second half of a surrogate pair, say).
    std::vector<std::size_t> firstByte;
};

// The iconv name of the code page for an LOGFONT character set (cp1252 for ANSI and
// DEFAULT, Big5 as code page 950 for CHINESEBIG5 ...); empty for SYMBOL_CHARSET.
std::string CodePageForCharset(std::uint8_t charset);

class TextDecoder {
  public:
    TextDecoder() = default;
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // Bytes that the code page cannot decode become U+FFFD, one per byte. Symbol fonts map
    // byte b to U+F000 + b, where symbol fonts keep their glyphs.
    DecodedText Decode(std::span<const std::uint8_t> bytes, std::uint8_t charset);

  private:
    // Converters opened once per code page; (void*)-1 marks one iconv does not know.
    std::map<std::string, void*> m_converters;
};

}  // namespace qrp::emf
