// The page's text as a reader sees it: glyph boxes from the recorded advances, reading
// order of a table and of runs recorded out of order, Chinese text, and finding text over
// runs and pages, right-to-left and symbol-font text.
#include "export/page_text_model.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "emf/emf_format.h"
#include "emf/recorder.h"
#include "export/page_text_selection.h"
#include "export/report_search.h"
#include "text_report.h"

namespace qrp::exporter {
namespace {

using namespace qrp::emf;

const ReferenceDevice kScreen{960, 960, 254, 254};
// The frame's rounding to hundredths of a millimetre moves positions by less than this.
constexpr double kPixel = 0.01;

PageText TextOf(const std::vector<std::uint8_t>& emf) {
    return ReadPageText(*PagePicture::FromBytes(emf), 96, 1);
}

TEST(PageTextModel, GlyphBoxesComeFromTheRecordedAdvances) {
    const PageText page = TextOf(test::SalesReportPages()[1]);
    // "合計金額": 16 pixels a character from x 48, top-aligned at y 168 in a 16-pixel em.
    const PageTextRun& chinese = page.Runs.back();
    ASSERT_EQ(chinese.Text, "合計金額");
    ASSERT_EQ(chinese.Glyphs.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(chinese.Glyphs[i].Left, 48 + 16 * i, kPixel);
        EXPECT_NEAR(chinese.Glyphs[i].Right, 64 + 16 * i, kPixel);
        EXPECT_NEAR(chinese.Glyphs[i].Top, 168, kPixel);
        EXPECT_NEAR(chinese.Glyphs[i].Bottom, 168 + 1.1 * 16, kPixel);
    }
    EXPECT_NEAR(chinese.Baseline, 168 + 0.9 * 16, kPixel);

    // "Price" is right-aligned at x 700 with advances of 7: its last glyph ends there.
    const PageText first = TextOf(test::SalesReportPages()[0]);
    const auto price = std::ranges::find(first.Runs, "Price", &PageTextRun::Text);
    ASSERT_NE(price, first.Runs.end());
    EXPECT_NEAR(price->Left(), 665, kPixel);
    EXPECT_NEAR(price->Glyphs[1].Left, 672, kPixel);
    EXPECT_NEAR(price->Right(), 700, kPixel);
}

TEST(PageTextModel, ReadingOrderPutsTablesInColumnsWhateverTheAlignment) {
    EXPECT_EQ(TextOf(test::SalesReportPages()[0]).ReadingText(),
              "Sales report\nItem\tPrice\nApples\t1.50\nPears\t12.25\nPlums\t0.75\nPage 1\n");
    // A bottom-aligned label and amount share their baseline; the Chinese line keeps its
    // characters.
    EXPECT_EQ(TextOf(test::SalesReportPages()[1]).ReadingText(), "Total\t14.50\nCafé\n合計金額\n");
}

TEST(PageTextModel, RunsRecordedOutOfOrderReadByBaselineThenX) {
    Recorder page(400, 300, kScreen);
    page.SelectObject(page.CreateFont({.height = -10, .faceName = u"Arial"}));
    page.SetTextAlign(kTaBaseline | kTaLeft);
    // Columns recorded one after the other, baselines a pixel apart within a row; a
    // sentence in two runs one blank apart; a word in two touching pieces.
    page.ExtTextOut(200, 41, u"B2", std::vector<std::int32_t>{6, 6});
    page.ExtTextOut(200, 20, u"B1", std::vector<std::int32_t>{6, 6});
    page.ExtTextOut(10, 40, u"A2", std::vector<std::int32_t>{6, 6});
    page.ExtTextOut(10, 20, u"A1", std::vector<std::int32_t>{6, 6});
    page.ExtTextOut(10, 80, u"two", std::vector<std::int32_t>{5, 5, 5});
    page.ExtTextOut(38, 80, u"words", std::vector<std::int32_t>{5, 5, 5, 5, 5});
    page.ExtTextOut(10, 100, u"to", std::vector<std::int32_t>{5, 5});
    page.ExtTextOut(20, 100, u"gether", std::vector<std::int32_t>{5, 5, 5, 5, 5, 5});
    const PageText text = TextOf(page.Finish());
    EXPECT_EQ(text.ReadingText(), "A1\tB1\nA2\tB2\ntwo words\ntogether\n");
    ASSERT_EQ(text.Lines.size(), 4u);
    EXPECT_EQ(text.Runs[text.Lines[1].First].Text, "A2");
}

TEST(PageTextModel, RightToLeftRunsKeepTheirLogicalOrderForFindAndCopy) {
    Recorder page(400, 300, kScreen);
    page.SelectObject(page.CreateFont({.height = -10, .faceName = u"Arial"}));
    page.SetTextAlign(kTaBaseline | kTaLeft);
    const std::u16string arabic = u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645 123";
    page.ExtTextOut(10, 20, arabic, std::vector<std::int32_t>(arabic.size(), 6), kEtoRtlReading);
    page.ExtTextOut(10, 40, u"\u05E9\u05DC\u05D5\u05DD", std::vector<std::int32_t>{6, 6, 6, 6});
    const PageText text = TextOf(page.Finish());
    EXPECT_EQ(text.ReadingText(), "مرحبا بالعالم 123\nשלום\n");
    EXPECT_EQ(SelectedText(text, AllCharacters(text)), "مرحبا بالعالم 123\nשלום");
    const auto found = TextQuery("بالعالم").FindIn(text, 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Pieces[0], (MatchPiece{0, 6, 13}));
    EXPECT_EQ(TextQuery("שלום", {.WholeWords = true}).FindIn(text, 1).size(), 1u);
}

TEST(PageTextModel, SymbolFontsReadAsTheCharactersTheyShow) {
    Recorder page(400, 300, kScreen);
    page.SetTextAlign(kTaBaseline | kTaLeft);
    // A tick and a ticked box in Wingdings 2, an arrow in Wingdings 3, a spider and a
    // check mark in Webdings (the spider outside the basic plane: two units, one box).
    const std::pair<std::u16string, std::u16string> runs[] = {
        {u"Wingdings 2", u"PR"}, {u"WINGDINGS 3", u"\xF067"}, {u"Webdings", u"!a"}};
    std::int32_t y = 20;
    for (const auto& [face, codes] : runs) {
        page.SelectObject(page.CreateFont({.height = -10, .faceName = face}));
        page.ExtTextOut(10, y, codes, std::vector<std::int32_t>(codes.size(), 12));
        y += 20;
    }
    const PageText text = TextOf(page.Finish());
    EXPECT_EQ(text.ReadingText(), "✓☑\n→\n🕷✔\n");
    ASSERT_EQ(text.Runs.size(), 3u);
    ASSERT_EQ(text.Runs[2].Glyphs.size(), 2u);
    EXPECT_NEAR(text.Runs[2].Glyphs[0].Right - text.Runs[2].Glyphs[0].Left, 12, kPixel);
    EXPECT_NEAR(text.Runs[2].Glyphs[1].Left, 22, kPixel);
}

TEST(ReportSearch, MatchesRunOverRunsOfALineAndFollowTheOptions) {
    const PageText page = TextOf(test::SalesReportPages()[0]);
    // Across the tab between the columns, case-insensitive by default.
    const auto spanning = TextQuery("APPLES 1.5").FindIn(page, 1);
    ASSERT_EQ(spanning.size(), 1u);
    EXPECT_EQ(spanning[0].Line, 2u);
    const std::size_t apples = page.Lines[2].First;
    EXPECT_EQ(spanning[0].Pieces, (std::vector<MatchPiece>{{apples, 0, 6}, {apples + 1, 0, 3}}));
    ASSERT_EQ(spanning[0].Boxes.size(), 9u);
    EXPECT_EQ(spanning[0].Boxes[6], page.Runs[apples + 1].Glyphs[0]);

    EXPECT_EQ(TextQuery("apples", {.MatchCase = true}).FindIn(page, 1).size(), 0u);
    EXPECT_EQ(TextQuery("Pear").FindIn(page, 1).size(), 1u);
    EXPECT_EQ(TextQuery("Pear", {.WholeWords = true}).FindIn(page, 1).size(), 0u);
    EXPECT_EQ(TextQuery("e").FindIn(page, 1).size(), 7u);  // two in "Sales report", one in "Page 1"

    const auto chinese = TextQuery("計金").FindIn(TextOf(test::SalesReportPages()[1]), 2);
    ASSERT_EQ(chinese.size(), 1u);
    EXPECT_EQ(chinese[0].Pieces[0], (MatchPiece{chinese[0].Pieces[0].Run, 1, 3}));
    EXPECT_NEAR(chinese[0].Boxes[0].Left, 64, kPixel);
}

TEST(ReportSearch, PagesComeInOrderAndTheCallerCanStop) {
    const auto pages = test::SalesReportPages();
    const PageSource source{
        3, [&pages](std::int32_t n) { return n <= 2 ? PagePicture::FromBytes(pages[n - 1]) : nullptr; }};
    std::vector<std::int32_t> seen;
    const auto record = [&seen](std::int32_t page, const PageText&, const std::vector<TextMatch>& matches) {
        seen.push_back(page);
        for (const TextMatch& match : matches)
            EXPECT_EQ(match.Page, page);
        return true;
    };
    EXPECT_EQ(SearchReport(source, TextQuery("a"), record), 6u);  // Sales, Apples, Pears, Page; Total, Café
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 2}));           // page 3 is missing: the search ends

    seen.clear();
    EXPECT_EQ(SearchReport(source, TextQuery("a"),
                           [&](std::int32_t page, const PageText& text, const std::vector<TextMatch>& matches) {
                               record(page, text, matches);
                               return false;
                           }),
              4u);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1}));
}

// On several threads the pages are read at once, yet handed over in page order; the
// threads stay a few pages ahead of the caller, and a damaged page fails the search after
// the pages before it.
TEST(ReportSearch, PagesReadOnSeveralThreadsComeInOrder) {
    const auto sales = test::SalesReportPages();
    constexpr std::int32_t kTotal = 200;
    std::mutex lock;
    std::condition_variable changed;
    std::int32_t fetched = 0, highest = 0;
    bool overlapped = false;
    const PageSource source{kTotal, [&](std::int32_t n) {
                                std::unique_lock held(lock);
                                highest = std::max(highest, n);
                                ++fetched;
                                changed.notify_all();
                                // Page 1 waits until later pages are done: read one at a time, they never are.
                                if (n == 1)
                                    overlapped =
                                        changed.wait_for(held, std::chrono::seconds(5), [&] { return fetched > 4; });
                                if (n == 7)
                                    throw EQRError("page 7 is damaged");
                                return PagePicture::FromBytes(sales[0]);
                            }};
    std::vector<std::int32_t> seen;
    const auto record = [&](std::int32_t page, const PageText&, const std::vector<TextMatch>& matches) {
        seen.push_back(page);
        EXPECT_EQ(matches.size(), 4u);
        for (const TextMatch& match : matches)
            EXPECT_EQ(match.Page, page);
        if (page == 1)  // a slow caller: the threads must not run through the report meanwhile
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return page < 3;
    };
    EXPECT_EQ(SearchReport(source, TextQuery("a"), record, 4), 12u);
    EXPECT_TRUE(overlapped);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_LT(highest, 40);

    seen.clear();
    const auto keep = [&](std::int32_t page, const PageText&, const std::vector<TextMatch>&) {
        seen.push_back(page);
        return true;
    };
    EXPECT_THROW(SearchReport(source, TextQuery("a"), keep, 2), EQRError);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace qrp::exporter
