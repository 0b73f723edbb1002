// Line breaking for EMF+ DrawString, independent of any font engine: the caller measures.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qrp::emf::plus {

// How wide a piece of text is, in the units of the layout width.
using MeasureText = std::function<double(std::u16string_view)>;

// The lines of `text`: broken at line feeds (CR, LF, CRLF), and when `width` > 0 also after
// the spaces between words so that no line is wider than `width`; a word wider than a line
// of its own is broken between characters. Spaces at the end of a wrapped line do not count.
// Every piece is measured once, so the work grows with the length of the text.
std::vector<std::u16string> LayOutLines(std::u16string_view text, double width, const MeasureText& measure);

}  // namespace qrp::emf::plus
