#include "report_search.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "ordered_pool.h"
#include "unicode_text.h"

namespace qrp::exporter {

namespace {

constexpr std::size_t kBetweenRuns = std::numeric_limits<std::size_t>::max();
// Pages searched ahead of the one handed over, per thread: enough that no thread waits for
// a slower page before it, few enough that a cancelled search stops at once.
constexpr unsigned kPagesAheadPerThread = 4;

struct SearchedPage {
    PageText text;
    std::vector<TextMatch> matches;
};

char32_t Comparable(char32_t c, bool matchCase) {
    if (c == U'\t')
        return U' ';
    return matchCase ? c : FoldCase(c);
}

// A line as searchable characters, each with the run and character it came from.
struct LineCharacters {
    std::u32string text;
    std::vector<MatchPiece> origin;  // Run, First; Run is kBetweenRuns for a separator
};

LineCharacters CharactersOf(const PageText& page, const PageTextLine& line, bool matchCase) {
    LineCharacters characters;
    for (std::size_t r = line.First; r < line.End; ++r) {
        const PageTextRun& run = page.Runs[r];
        for (const char32_t c : DecodeUtf8(run.Separator)) {
            characters.text += Comparable(c, matchCase);
            characters.origin.push_back({kBetweenRuns, 0, 0});
        }
        std::size_t index = 0;
        for (const char32_t c : DecodeUtf8(run.Text)) {
            characters.text += Comparable(c, matchCase);
            characters.origin.push_back({r, index, index + 1});
            ++index;
        }
    }
    return characters;
}

bool WordEdgeAt(const std::u32string& text, std::size_t at) {
    return at == 0 || at == text.size() || !IsWordCharacter(text[at - 1]) || !IsWordCharacter(text[at]);
}

TextMatch MatchOf(const PageText& page, std::int32_t pageNumber, std::size_t line, const LineCharacters& characters,
                  std::size_t first, std::size_t end) {
    TextMatch match{pageNumber, line, {}, {}};
    for (std::size_t i = first; i < end; ++i) {
        const MatchPiece& from = characters.origin[i];
        if (from.Run == kBetweenRuns)
            continue;
        if (!match.Pieces.empty() && match.Pieces.back().Run == from.Run)
            match.Pieces.back().End = from.End;
        else
            match.Pieces.push_back(from);
        match.Boxes.push_back(page.Runs[from.Run].Glyphs[from.First]);
    }
    return match;
}

}  // namespace

TextQuery::TextQuery(std::string_view text, SearchOptions options) : FOptions(options) {
    for (const char32_t c : DecodeUtf8(text))
        FNeedle += Comparable(c, options.MatchCase);
}

std::vector<TextMatch> TextQuery::FindIn(const PageText& text, std::int32_t page) const {
    std::vector<TextMatch> matches;
    if (FNeedle.empty())
        return matches;
    const std::boyer_moore_horspool_searcher searcher(FNeedle.begin(), FNeedle.end());
    for (std::size_t line = 0; line < text.Lines.size(); ++line) {
        const LineCharacters characters = CharactersOf(text, text.Lines[line], FOptions.MatchCase);
        const std::u32string& haystack = characters.text;
        auto from = haystack.begin();
        while (true) {
            const auto found = std::search(from, haystack.end(), searcher);
            if (found == haystack.end())
                break;
            const auto first = static_cast<std::size_t>(found - haystack.begin());
            const std::size_t end = first + FNeedle.size();
            if (FOptions.WholeWords && !(WordEdgeAt(haystack, first) && WordEdgeAt(haystack, end))) {
                from = found + 1;
                continue;
            }
            matches.push_back(MatchOf(text, page, line, characters, first, end));
            from = haystack.begin() + static_cast<std::ptrdiff_t>(end);
        }
    }
    return matches;
}

std::uint64_t SearchReport(const PageSource& pages, const TextQuery& query, const PageMatchesEvent& onPage,
                           unsigned threads, std::uint64_t maxRunsPerPage) {
    const double pixelsPerInch = static_cast<double>(pages.Scale() * 254);
    OrderedPool<std::optional<SearchedPage>> pool(
        threads, pages.PageTotal, kPagesAheadPerThread * std::max(threads, 1u),
        [&](std::int64_t item) -> std::optional<SearchedPage> {
            const auto n = static_cast<std::int32_t>(item);
            const std::unique_ptr<PagePicture> picture = pages.FetchPage(n);
            if (!picture)
                return std::nullopt;
            SearchedPage searched{ReadPageText(*picture, pixelsPerInch, n, maxRunsPerPage), {}};
            searched.matches = query.FindIn(searched.text, n);
            return searched;
        });
    std::uint64_t count = 0;
    for (std::int32_t n = 1; n <= pages.PageTotal; ++n) {
        const std::optional<SearchedPage> page = pool.Take();
        if (!page)
            break;
        count += page->matches.size();
        if (!onPage(n, page->text, page->matches))
            break;
    }
    return count;
}

}  // namespace qrp::exporter
