// UTF-16 text from the pages to the byte strings the export filters write, in a character
// set that iconv knows (UTF-8, BIG5, CP950, ...).
#pragma once

#include <iconv.h>
#include <string>
#include <string_view>

namespace qrp::exporter {

// The character set of the current LC_CTYPE locale. The C locale's ASCII is taken as
// UTF-8: a system that names no character set today means UTF-8, and ASCII would turn
// every non-Latin report into question marks.
std::string LocaleEncoding();

class TextEncoder {
  public:
    // Empty: LocaleEncoding(). EQRError naming the character set when iconv has no
    // converter to it.
    explicit TextEncoder(const std::string& encoding);
    ~TextEncoder();
    TextEncoder(const TextEncoder&) = delete;
    TextEncoder& operator=(const TextEncoder&) = delete;

    // A character the target cannot hold, or a lone surrogate, becomes one '?', as the
    // platform's own conversion writes its default character; nothing throws.
    std::string Encode(std::u16string_view text);

    const std::string& Encoding() const { return FEncoding; }

  private:
    std::string FEncoding;
    iconv_t FConverter;
};

}  // namespace qrp::exporter
