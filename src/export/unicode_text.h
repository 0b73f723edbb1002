// The few Unicode operations the page text needs without a text library: UTF-16 and
// UTF-8 to code points and back, simple case folding and word characters.
#pragma once

#include <string>
#include <string_view>

namespace qrp::exporter {

// A lone surrogate or a malformed byte sequence becomes U+FFFD.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c);
std::u32string DecodeUtf8(std::string_view text);

// The one-to-one lower case of c, whatever the process locale (simple folding keeps the
// character count, so a match keeps its place in the text).
char32_t FoldCase(char32_t c);
bool IsWordCharacter(char32_t c);
// Characters that take a full em in East Asian text (ideographs, kana, hangul, full-width forms).
bool IsWide(char32_t c);

}  // namespace qrp::exporter
