// Text chosen on a page: the characters a rectangle takes in, and their text in reading
// order for the clipboard (lines by baseline, runs by x, a tab between far-apart runs, so
// a table pastes into spreadsheet columns).
#pragma once

#include <string>
#include <vector>

#include "page_text_model.h"
#include "report_search.h"

namespace qrp::exporter {

// The characters whose box centres lie inside `area` (page pixels), in reading order, one
// piece per run.
std::vector<MatchPiece> CharactersIn(const PageText& text, const GlyphBox& area);
// Every character of the page, one piece per run.
std::vector<MatchPiece> AllCharacters(const PageText& text);

// The pieces' text (pieces in reading order): lines apart by a line feed; on one line the
// separator the runs' layout gives, or a tab where runs in between were left out.
std::string SelectedText(const PageText& text, const std::vector<MatchPiece>& pieces);

}  // namespace qrp::exporter
