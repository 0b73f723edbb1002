// Finding text across a report: the pages' reading-order text (page_text_model.h) searched
// line by line, so a match may run over several runs of one line. Pages may be read on
// several threads at once, yet they are handed back one by one in page order, so a caller
// can show the first match at once, count matches in order and stop between pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "page_text_driver.h"
#include "page_text_model.h"

namespace qrp::exporter {

struct SearchOptions {
    bool MatchCase = false;
    bool WholeWords = false;  // the match neither starts nor ends inside a word
};

// The characters [First, End) of run Run.
struct MatchPiece {
    std::size_t Run = 0;
    std::size_t First = 0, End = 0;
    friend bool operator==(const MatchPiece&, const MatchPiece&) = default;
};

struct TextMatch {
    std::int32_t Page = 0;
    std::size_t Line = 0;
    std::vector<MatchPiece> Pieces;  // in reading order
    std::vector<GlyphBox> Boxes;     // the matched characters' boxes
};

class TextQuery {
  public:
    // text is UTF-8. A blank or tab in it matches either between runs of a line.
    TextQuery(std::string_view text, SearchOptions options = {});

    bool Empty() const { return FNeedle.empty(); }
    // Every match on the page, in reading order, none overlapping.
    std::vector<TextMatch> FindIn(const PageText& text, std::int32_t page) const;

  private:
    std::u32string FNeedle;
    SearchOptions FOptions;
};

// Gets a page's text and its matches; returns false to stop the search.
using PageMatchesEvent =
    std::function<bool(std::int32_t page, const PageText& text, const std::vector<TextMatch>& matches)>;

// Searches pages 1 to PageTotal (ending early at a page the source lacks) and returns the
// number of matches found. `threads` pages are fetched, read and searched at once, a few
// pages ahead of the one handed over; onPage runs on the calling thread, page by page in
// order, and once it returns false no later page is handed over. With more than one thread
// the source's FetchPage is called from several threads at once. A page with more than
// maxRunsPerPage text runs throws EQRError, after the pages before it were handed over;
// so does whatever the pages throw.
std::uint64_t SearchReport(const PageSource& pages, const TextQuery& query, const PageMatchesEvent& onPage,
                           unsigned threads = 1, std::uint64_t maxRunsPerPage = 1'000'000);

}  // namespace qrp::exporter
