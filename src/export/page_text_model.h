// The text of one page as a reader sees it: every text run with a box per character, in
// page pixels, taken from the glyph positions the page recorded, and the runs put in
// reading order (lines by baseline, runs by x). Find and copy work on this; the export
// formats keep their own layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "report/page_picture.h"

namespace qrp::exporter {

struct GlyphBox {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const GlyphBox&, const GlyphBox&) = default;
};

struct PageTextRun {
    std::string Text;              // UTF-8
    std::vector<GlyphBox> Glyphs;  // one per character (code point) of Text, left to right as drawn
    double Baseline = 0;
    double Em = 0;  // the font's em height in page pixels
    // What goes between the previous run of the line and this one: "" when they touch, a
    // blank, or a tab when they stand far apart (table columns); "" for a line's first run.
    std::string Separator;

    double Left() const { return Glyphs.front().Left; }
    double Right() const { return Glyphs.back().Right; }
};

struct PageTextLine {
    std::size_t First = 0, End = 0;  // the runs [First, End) of PageText::Runs
    std::string Text;                // the runs with their separators
};

struct PageText {
    std::vector<PageTextRun> Runs;  // in reading order; runs without characters are left out
    std::vector<PageTextLine> Lines;

    // The lines, each ended by a line feed.
    std::string ReadingText() const;
};

// Plays the page into its own pixel rectangle. pixelsPerInch sizes fonts that ask for the
// default size. More than maxRuns text runs throw EQRError naming `page`.
PageText ReadPageText(const PagePicture& picture, double pixelsPerInch, std::int32_t page,
                      std::uint64_t maxRuns = 1'000'000);

// Puts runs (in any order) into reading order and fills in their separators and the lines.
PageText ArrangeReadingOrder(std::vector<PageTextRun> runs);

}  // namespace qrp::exporter
