// Text in the Symbol, Wingdings (1, 2, 3) and Webdings fonts holds character codes 0x20-0xFF
// (or U+F020-U+F0FF, where symbol fonts are addressed in Unicode) that stand for the font's
// pictures: 'a' is alpha in Symbol, 0xFE a ticked box in Wingdings. None of these fonts is
// installed on Linux, and a substitute would draw the letters themselves, so the player turns
// these codes into the Unicode characters they show, which common fonts have (and which
// exported text keeps).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "device.h"

namespace qrp::emf {

enum class SymbolFont { None, Symbol, Wingdings, Wingdings2, Wingdings3, Webdings };

// Which table applies to a font face name (case-insensitive, exact name).
SymbolFont SymbolFontOf(std::u16string_view faceName);

// Replaces each code of `text` that the font's table knows by its Unicode character; codes
// without one are kept. A character outside the basic plane takes two UTF-16 units, the
// second at the first one's origin, so `origins` (one per unit, or empty) still line up.
void MapSymbolText(SymbolFont font, std::u16string& text, std::vector<PointF>& origins);

}  // namespace qrp::emf
