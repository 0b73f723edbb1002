#include "page_text_selection.h"

#include "unicode_text.h"

namespace qrp::exporter {

namespace {

// The line each run belongs to.
std::vector<std::size_t> LineOfRuns(const PageText& text) {
    std::vector<std::size_t> lines(text.Runs.size());
    for (std::size_t line = 0; line < text.Lines.size(); ++line)
        for (std::size_t r = text.Lines[line].First; r < text.Lines[line].End; ++r)
            lines[r] = line;
    return lines;
}

}  // namespace

std::vector<MatchPiece> CharactersIn(const PageText& text, const GlyphBox& area) {
    std::vector<MatchPiece> pieces;
    for (std::size_t r = 0; r < text.Runs.size(); ++r) {
        const std::vector<GlyphBox>& glyphs = text.Runs[r].Glyphs;
        for (std::size_t i = 0; i < glyphs.size(); ++i) {
            const double x = (glyphs[i].Left + glyphs[i].Right) / 2;
            const double y = (glyphs[i].Top + glyphs[i].Bottom) / 2;
            if (x < area.Left || x > area.Right || y < area.Top || y > area.Bottom)
                continue;
            if (!pieces.empty() && pieces.back().Run == r && pieces.back().End == i)
                pieces.back().End = i + 1;
            else
                pieces.push_back({r, i, i + 1});
        }
    }
    return pieces;
}

std::vector<MatchPiece> AllCharacters(const PageText& text) {
    std::vector<MatchPiece> pieces;
    for (std::size_t r = 0; r < text.Runs.size(); ++r)
        pieces.push_back({r, 0, text.Runs[r].Glyphs.size()});
    return pieces;
}

std::string SelectedText(const PageText& text, const std::vector<MatchPiece>& pieces) {
    const std::vector<std::size_t> lineOf = LineOfRuns(text);
    std::string out;
    const MatchPiece* previous = nullptr;
    for (const MatchPiece& piece : pieces) {
        if (piece.Run >= text.Runs.size())
            continue;
        const PageTextRun& run = text.Runs[piece.Run];
        if (previous && lineOf[previous->Run] != lineOf[piece.Run])
            out += '\n';
        else if (previous && previous->Run != piece.Run)
            out += previous->Run + 1 == piece.Run ? run.Separator : "\t";
        const std::u32string characters = DecodeUtf8(run.Text);
        for (std::size_t i = piece.First; i < piece.End && i < characters.size(); ++i)
            AppendUtf8(out, characters[i]);
        previous = &piece;
    }
    return out;
}

}  // namespace qrp::exporter
