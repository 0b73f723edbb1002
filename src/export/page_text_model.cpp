#include "page_text_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/errors.h"
#include "base/messages.h"
#include "emf/device.h"
#include "emf/emf_format.h"
#include "emf/player.h"
#include "page_text_device.h"
#include "unicode_text.h"

namespace qrp::exporter {

namespace {

// Runs whose baselines differ by less than this share a line, in ems of the smaller font.
constexpr double kSameLineEms = 0.4;
// Runs closer than this touch (one word recorded in pieces); farther than kColumnGapEms
// they are separate columns.
constexpr double kTouchingEms = 0.1;
constexpr double kColumnGapEms = 2;
// Advances a run without recorded positions is taken to have, in ems.
constexpr double kNarrowAdvanceEms = 0.5;
constexpr double kWideAdvanceEms = 1;

struct CodePoint {
    char32_t value;
    std::size_t unit;  // its first UTF-16 unit
};

std::vector<CodePoint> CodePointsOf(const std::u16string& text) {
    std::vector<CodePoint> points;
    points.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            points.push_back({0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00), i});
            ++i;
        } else {
            points.push_back({unit >= 0xD800 && unit < 0xE000 ? kReplacementCharacter : char32_t(unit), i});
        }
    }
    return points;
}

double EstimatedAdvance(char32_t c, const emf::Font& font, double em) {
    if (font.width > 0)
        return IsWide(c) ? 2 * font.width : font.width;
    return (IsWide(c) ? kWideAdvanceEms : kNarrowAdvanceEms) * em;
}

// Where each UTF-16 unit starts, and where the run ends, on the x axis.
std::vector<double> UnitEdges(const emf::TextRun& run, const std::vector<CodePoint>& points, double em) {
    const std::size_t n = run.text.size();
    std::vector<double> edges(n + 1);
    if (run.origins.size() == n) {
        for (std::size_t i = 0; i < n; ++i)
            edges[i] = run.origins[i].x;
        // The last advance is not among the origins: it is taken to be the one before it.
        edges[n] = n >= 2 ? 2 * edges[n - 1] - edges[n - 2]
                          : edges[n - 1] + EstimatedAdvance(points.back().value, run.font, em);
        return edges;
    }
    std::vector<double> advances(n, 0);
    for (const CodePoint& point : points)
        advances[point.unit] = EstimatedAdvance(point.value, run.font, em);
    double width = 0;
    for (double advance : advances)
        width += advance;
    double x = run.reference.x;
    if ((run.align & emf::kTaHorizontalMask) == emf::kTaCenter)
        x -= width / 2;
    else if ((run.align & emf::kTaHorizontalMask) == emf::kTaRight)
        x -= width;
    for (std::size_t i = 0; i < n; ++i) {
        edges[i] = x;
        x += advances[i];
    }
    edges[n] = x;
    return edges;
}

class RunCollector : public emf::Device {
  public:
    RunCollector(double pixelsPerInch, std::int32_t page, std::uint64_t maxRuns)
        : FPixelsPerInch(pixelsPerInch), FPage(page), FMaxRuns(maxRuns) {}

    void SetClip(const emf::Clip&) override {}
    void DrawPath(const emf::Path&, const emf::Pen&, const emf::Brush&, std::uint32_t) override {}
    void DrawImage(const emf::ImageDraw&) override {}

    void DrawText(const emf::TextRun& run) override {
        // Glyph indices name shapes of one font, not characters.
        if (run.text.empty() || (run.options & emf::kEtoGlyphIndex))
            return;
        const double em = EmHeight(run.font, FPixelsPerInch);
        const double baseline = run.reference.y + (kAscentPerEm - DropToReference(run.align)) * em;
        const std::vector<CodePoint> points = CodePointsOf(run.text);
        const std::vector<double> edges = UnitEdges(run, points, em);
        if (!std::isfinite(em) || !std::isfinite(baseline) ||
            !std::ranges::all_of(edges, [](double x) { return std::isfinite(x); }))
            return;
        if (FRuns.size() == FMaxRuns)
            throw EQRError(messages::tooManyTextItems(FPage, FMaxRuns));

        PageTextRun item;
        item.Baseline = baseline;
        item.Em = em;
        item.Glyphs.reserve(points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double start = edges[points[i].unit];
            const double end = edges[i + 1 < points.size() ? points[i + 1].unit : run.text.size()];
            item.Glyphs.push_back({std::min(start, end), baseline - kAscentPerEm * em, std::max(start, end),
                                   baseline + kDescentPerEm * em});
            AppendUtf8(item.Text, points[i].value);
        }
        FRuns.push_back(std::move(item));
    }

    std::vector<PageTextRun> Take() { return std::move(FRuns); }

  private:
    double FPixelsPerInch;
    std::int32_t FPage;
    std::uint64_t FMaxRuns;
    std::vector<PageTextRun> FRuns;
};

std::string SeparatorBetween(const PageTextRun& left, const PageTextRun& right) {
    const double gap = right.Left() - left.Right();
    const double em = std::max(left.Em, right.Em);
    if (gap < kTouchingEms * em)
        return {};
    return gap > kColumnGapEms * em ? "\t" : " ";
}

}  // namespace

std::string PageText::ReadingText() const {
    std::string text;
    for (const PageTextLine& line : Lines) {
        text += line.Text;
        text += '\n';
    }
    return text;
}

PageText ArrangeReadingOrder(std::vector<PageTextRun> runs) {
    std::ranges::stable_sort(runs, {}, &PageTextRun::Baseline);
    PageText page;
    page.Runs.reserve(runs.size());
    std::size_t first = 0;
    while (first < runs.size()) {
        std::size_t end = first + 1;
        double smallestEm = runs[first].Em;
        while (end < runs.size()) {
            smallestEm = std::min(smallestEm, runs[end].Em);
            if (runs[end].Baseline - runs[first].Baseline >= kSameLineEms * smallestEm)
                break;
            ++end;
        }
        std::stable_sort(runs.begin() + first, runs.begin() + end,
                         [](const PageTextRun& a, const PageTextRun& b) { return a.Left() < b.Left(); });
        PageTextLine line{page.Runs.size(), page.Runs.size() + (end - first), {}};
        for (std::size_t i = first; i < end; ++i) {
            if (i > first)
                runs[i].Separator = SeparatorBetween(page.Runs.back(), runs[i]);
            line.Text += runs[i].Separator;
            line.Text += runs[i].Text;
            page.Runs.push_back(std::move(runs[i]));
        }
        page.Lines.push_back(std::move(line));
        first = end;
    }
    return page;
}

PageText ReadPageText(const PagePicture& picture, double pixelsPerInch, std::int32_t page, std::uint64_t maxRuns) {
    RunCollector collector(pixelsPerInch, page, maxRuns);
    emf::Player(picture.View()).Play(collector, {0, 0, double(picture.WidthPx()), double(picture.HeightPx())});
    return ArrangeReadingOrder(collector.Take());
}

}  // namespace qrp::exporter
