// Text in the Symbol and Wingdings fonts holds character codes 0x20-0xFF (or U+F020-U+F0FF,
// where symbol fonts are addressed in Unicode) that stand for the font's pictures: 'a' is
// alpha in Symbol, 0xFE a ticked box in Wingdings. Neither font is installed on Linux, and a
// substitute would draw the letters themselves, so the player turns these codes into the
// Unicode characters they show, which common fonts have (and which exported text keeps).
#pragma once

#include <string>
#include <string_view>

namespace qrp::emf {

enum class SymbolFont { None, Symbol, Wingdings };

// Which table applies to a font face name (case-insensitive, exact name).
SymbolFont SymbolFontOf(std::u16string_view faceName);

// Replaces each code of `text` that the font's table knows by its Unicode character, one
// UTF-16 unit for one, so per-character advances still line up. Codes without a character
// of their own (pictures Unicode has only outside the basic plane) are kept.
void MapSymbolText(SymbolFont font, std::u16string& text);

}  // namespace qrp::emf
