#include "export/text_layout.h"

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "export/rounding.h"
#include "export_driver.h"
#include "naive_layout.h"

namespace qrp::exporter {
namespace {

using test::Item;
using test::Page;

// The grids a probe saw: sizes of every page, cells of the last one. A cell reads as the
// identity of its first item (its font name) and its text, "-" when empty.
struct GridRecord {
    std::vector<std::int32_t> Lines, Cols;
    std::vector<std::string> Cells;
};

class GridProbe : public TQRAbstractExportFilter, public GridRecord {
  public:
    GridProbe() : TQRAbstractExportFilter(std::string()) {}
    void OpenOutput(const std::string&) override { FStream = std::make_unique<MemoryStream>(); }
    void WritePage() override {
        Lines.push_back(FLinesUsed);
        Cols.push_back(FColCount);
        Cells.clear();
        for (std::int32_t line = 1; line <= FLinesUsed; ++line) {
            for (std::int32_t col = 1; col <= FColCount; ++col) {
                const TCellText cell = GetCellText(col, line);
                Cells.push_back(cell.Font ? cell.Font->Name + ":" + std::string(cell.Text) : "-");
            }
        }
    }
};

// Items named by their index, so a cell tells which item it holds.
Page Named(std::vector<Item> items) {
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i].Font.Name = std::to_string(i);
    return items;
}

GridRecord LayOut(const Page& page) {
    GridProbe probe;
    test::Drive(probe, {page});
    return probe;
}

TEST(RoundHalfEven, ExactHalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(3.5L), 4);
    EXPECT_EQ(RoundHalfEven(100.5L), 100);
    EXPECT_EQ(RoundHalfEven(101.5L), 102);
    EXPECT_EQ(RoundHalfEven(100.4L), 100);
    EXPECT_EQ(RoundHalfEven(100.6L), 101);
    EXPECT_EQ(RoundHalfEven(-0.5L), 0);
    EXPECT_EQ(RoundHalfEven(-1.5L), -2);
    EXPECT_EQ(RoundHalfEven(-2.6L), -3);
}

TEST(RoundHalfEven, SaturatesOutsideSixtyFourBitsAndMapsNanToZero) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<long double>::infinity()), kMax);
    EXPECT_EQ(RoundHalfEven(-std::numeric_limits<long double>::infinity()), kMin);
    EXPECT_EQ(RoundHalfEven(1e30L), kMax);
    EXPECT_EQ(RoundHalfEven(9223372036854775807.5L), kMax);
    EXPECT_EQ(RoundHalfEven(std::nanl("")), 0);
}

TEST(Positions, CollectOnlyWhileCollectingAndKeepTheFirstExactValue) {
    TQRPositions positions;
    positions.AddPosition(5);
    EXPECT_TRUE(positions.Items().empty());
    positions.StartCollecting();
    positions.AddPosition(300.4L);
    positions.AddPosition(100.2L);
    positions.AddPosition(299.6L);
    positions.AddPosition(100.4L);
    ASSERT_EQ(positions.Items().size(), 2u);
    EXPECT_EQ(positions.Items()[0].Position, 300.4L);
    EXPECT_FALSE(positions.Items()[0].Numbered);
    positions.NumberPositions();
    EXPECT_FALSE(positions.Collecting());
    positions.AddPosition(700);
    EXPECT_EQ(positions.Items().size(), 2u);
    EXPECT_EQ(positions.PositionNumber(99.5L), 1);
    EXPECT_EQ(positions.PositionNumber(300), 2);
    EXPECT_EQ(positions.PositionNumber(700), 0);
    EXPECT_TRUE(positions.Items()[1].Numbered);
}

TEST(Positions, NumberPositionsAtOrBelowZeroWithTheRest) {
    TQRPositions positions;
    positions.StartCollecting();
    for (const long double value : {50.0L, 0.4L, -30.0L, 1e12L, 0.0L})
        positions.AddPosition(value);
    positions.NumberPositions();
    EXPECT_EQ(positions.PositionNumber(-30), 1);
    EXPECT_EQ(positions.PositionNumber(0), 2);
    EXPECT_EQ(positions.PositionNumber(50), 3);
    EXPECT_EQ(positions.PositionNumber(1e12L), 4);
}

TEST(GridLayout, CellsHoldTheFirstItemOfTheirRoundedPositions) {
    const long double inf = std::numeric_limits<long double>::infinity();
    struct Case {
        const char* name;
        std::vector<Item> items;
        std::int32_t cols, lines;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {"worked example",
         {{100.2L, 50, "A"}, {300, 50, "B"}, {100.4L, 80.6L, "C"}, {300.4L, 81.4L, "D"}},
         2,
         2,
         {"0:A", "1:B", "2:C", "3:D"}},
        {"worked example, lower last item",
         {{100.2L, 50, "A"}, {300, 50, "B"}, {100.4L, 80.6L, "C"}, {300.4L, 82.6L, "D"}},
         2,
         3,
         {"0:A", "1:B", "2:C", "-", "-", "3:D"}},
        {"100.4 and 100.6 apart", {{100.4L, 10, "a"}, {100.6L, 10, "b"}}, 2, 1, {"0:a", "1:b"}},
        {"exact halves",
         {{100.5L, 10, "a"}, {100, 20, "b"}, {101.5L, 30, "c"}, {102, 40, "d"}},
         2,
         4,
         {"0:a", "-", "1:b", "-", "-", "2:c", "-", "3:d"}},
        {"two items in a cell: the first", {{10, 10, "first"}, {10.2L, 9.8L, "second"}}, 1, 1, {"0:first"}},
        {"coinciding anchors, any alignment",
         {{500, 10, "l", taLeftJustify}, {500, 20, "r", taRightJustify}},
         1,
         2,
         {"0:l", "1:r"}},
        {"empty text opens its column and line", {{10, 10, "x"}, {20, 20, ""}}, 2, 2, {"0:x", "-", "-", "1:"}},
        {"no text", {}, 0, 0, {}},
        {"at or below zero keep their text",
         {{50, -5, "a"}, {-20, 0, "b"}, {0, 1e9L, "c"}},
         3,
         3,
         {"-", "-", "0:a", "1:b", "-", "-", "-", "2:c", "-"}},
        {"non-finite coordinates", {{std::nanl(""), inf, "a"}, {-inf, 1, "b"}}, 2, 2, {"1:b", "-", "-", "0:a"}},
    };
    for (const Case& c : cases) {
        const GridRecord grid = LayOut(Named(c.items));
        EXPECT_EQ(grid.Cols, (std::vector<std::int32_t>{0, c.cols})) << c.name;  // the first page end has no text
        EXPECT_EQ(grid.Lines, (std::vector<std::int32_t>{0, c.lines})) << c.name;
        EXPECT_EQ(grid.Cells, c.cells) << c.name;
    }
}

TEST(GridLayout, EntriesHoldTheirColumnAndLineNumbersAfterLayout) {
    class EntryProbe : public GridProbe {
      public:
        void WritePage() override {
            for (const TTextEntry& entry : Entries())
                Numbers.emplace_back(entry.X, entry.Y);
        }
        std::vector<std::pair<long double, long double>> Numbers;
    } probe;
    test::Drive(probe, {{{300, 7, "a"}, {100, 70, "b"}}});
    EXPECT_EQ(probe.Numbers, (std::vector<std::pair<long double, long double>>{{2, 1}, {1, 2}}));
}

// A coordinate on a coarse grid with fractions chosen to hit equal roundings and exact
// halves, some at or below zero.
long double RandomCoordinate(std::mt19937& random) {
    static constexpr long double kFractions[] = {0, 0.25L, 0.4999L, 0.5L, 0.5001L, 0.75L, -0.5L};
    std::uniform_int_distribution<int> whole(-8, 40), fraction(0, 6);
    return whole(random) + kFractions[fraction(random)];
}

TEST(GridLayout, MatchesTheNaiveListWalksOnRandomPages) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 400; ++round) {
        const int count = std::uniform_int_distribution<int>(0, 80)(random);
        Page page;
        std::vector<naive::Entry> entries;
        for (int i = 0; i < count; ++i) {
            const long double x = RandomCoordinate(random), y = RandomCoordinate(random);
            page.push_back({x, y, i % 7 == 0 ? "" : "t" + std::to_string(i)});
            entries.push_back({x, y});
        }
        const GridRecord probe = LayOut(Named(page));
        const naive::Grid grid = naive::Layout(entries);
        ASSERT_EQ(probe.Lines.back(), grid.LinesUsed) << "round " << round;
        ASSERT_EQ(probe.Cols.back(), grid.ColCount) << "round " << round;
        ASSERT_EQ(probe.Cells.size(), grid.Cells.size());
        for (std::size_t cell = 0; cell < grid.Cells.size(); ++cell) {
            const int index = grid.Cells[cell];
            const std::string expected = index < 0 ? "-" : std::to_string(index) + ":" + page[index].Text;
            ASSERT_EQ(probe.Cells[cell], expected) << "round " << round << " cell " << cell;
        }
    }
}

}  // namespace
}  // namespace qrp::exporter
