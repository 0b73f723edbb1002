// Characters no installed font has, noted as pages are drawn (they come out as the
// missing-glyph box), so that a program can name them once: qrptool render does so on
// stderr. One list for the process, safe from any thread.
#pragma once

#include <vector>

class QFont;
class QRawFont;
class QString;

namespace qrp::render {

void NoteMissingCharacters(const std::vector<char32_t>& characters);

// The characters noted since the last call, in code order, each once; the list starts over.
std::vector<char32_t> TakeMissingCharacters();

// Notes the characters of `text` that neither `raw` (the font as drawn, when there is one)
// nor any font Qt falls back to from `font` has. Each character is looked up once.
void NoteUnsupportedCharacters(const QFont& font, const QRawFont* raw, const QString& text);

}  // namespace qrp::render
