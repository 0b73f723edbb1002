#include "page_text_driver.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "emf/player.h"
#include "page_text_device.h"
#include "report/rounding.h"
#include "sheet_cell.h"
#include "text_encoding.h"

namespace qrp::exporter {

namespace {

constexpr long double kDefaultScale = 96.0L / 254;
// Items may lie this many page sizes off the page before they are clamped; a page of no
// size still gets an inch.
constexpr long double kLimitPages = 10;
constexpr long double kMinimumExtent = 254;

struct PageSize {
    std::int32_t widthPx = 0, heightPx = 0;
};

// Plays page n into its own pixel rectangle, so that output coordinates are page pixels.
// None when the source has no page n.
std::optional<PageSize> PlayPage(const PageSource& pages, std::int32_t n, long double scale, TextEncoder& encoder,
                                 const PageTextOptions& options, PageTextDevice::Sink sink) {
    const std::unique_ptr<PagePicture> picture = pages.FetchPage(n);
    if (!picture)
        return std::nullopt;
    const PageSize size{picture->WidthPx(), picture->HeightPx()};
    PageGeometry geometry;
    geometry.Scale = scale;
    geometry.LimitX = kLimitPages * std::max(size.widthPx / scale, kMinimumExtent);
    geometry.LimitY = kLimitPages * std::max(size.heightPx / scale, kMinimumExtent);
    PageTextDevice device(geometry, encoder, n, options.MaxItemsPerPage, std::move(sink));
    emf::Player(picture->View()).Play(device, {0, 0, double(size.widthPx), double(size.heightPx)});
    return size;
}

// Counts the items per (size, colour), remembering the order in which they first came.
class BaseFontTally {
  public:
    void Add(const TFont& font) {
        const auto [at, added] = FIndex.try_emplace({font.Size, font.Color}, FFonts.size());
        if (added)
            FFonts.push_back({font, 0});
        ++FFonts[at->second].count;
    }

    TFont Winner() const {
        const Counted* best = nullptr;
        for (const Counted& candidate : FFonts) {
            if (!best || candidate.count > best->count)
                best = &candidate;
        }
        return best ? best->font : TFont{};
    }

  private:
    struct Counted {
        TFont font;  // the first item's font of this size and colour
        std::uint64_t count;
    };
    std::map<std::pair<std::int32_t, TColor>, std::size_t> FIndex;
    std::vector<Counted> FFonts;
};

}  // namespace

PageSource PagesOf(TQRPrinter& document) {
    return {document.PageTotal(), [&document](std::int32_t n) { return document.FetchPage(n); }, document.PageScale(),
            ReportFactsOf(document.Pages(), document.Title)};
}

TReportFacts ReportFactsOf(const TQRPageList& pages, std::string title) {
    double stamp = pages.Header().StampTime;
    if (!IsDayCountDate(stamp)) {
        const TQRStream* stream = pages.Stream();
        struct stat info {};
        std::time_t moment = std::time(nullptr);
        if (stream && stream->FileDescriptor() >= 0 && ::fstat(stream->FileDescriptor(), &info) == 0)
            moment = info.st_mtim.tv_sec;
        std::tm local{};
        localtime_r(&moment, &local);
        // The local wall clock counted as if it were UTC gives the local day count.
        stamp = static_cast<double>(timegm(&local)) / 86400 + kUnixEpochDay;
    }
    return {std::move(title), stamp};
}

long double PageSource::Scale() const {
    return std::isfinite(ScaleX) && ScaleX > 0 ? ScaleX : kDefaultScale;
}

void ExportPageText(const PageSource& pages, TQRExportFilter& filter, const PageTextOptions& options) {
    // Made first: an unknown character set fails before the filter creates its file.
    TextEncoder encoder(filter.TextEncoding().empty() ? options.Encoding : filter.TextEncoding());
    const long double scale = pages.Scale();

    BaseFontTally tally;
    PageSize first;
    std::int32_t pageCount = 0;
    while (pageCount < pages.PageTotal) {
        const auto size = PlayPage(pages, pageCount + 1, scale, encoder, options,
                                   [&tally](const PageTextItem& item) { tally.Add(item.Font); });
        if (!size)
            break;
        if (++pageCount == 1)
            first = *size;
    }

    filter.SetTextEncoding(encoder.Encoding());
    filter.SetReport(pages.Report);
    if (!filter.Active())
        filter.BeginExport(RoundToInt32(first.widthPx / scale), RoundToInt32(first.heightPx / scale), tally.Winner());
    const auto send = [&filter](const PageTextItem& item) {
        filter.AddText(item.X, item.Y, item.Font, item.BackColor, item.Alignment, item.Text);
    };
    for (std::int32_t n = 1; n <= pageCount; ++n) {
        filter.FinishPage();
        filter.BeginPage();
        PlayPage(pages, n, scale, encoder, options, send);
    }
    filter.FinishPage();
    filter.EndExport();
}

TQRPrinter::TQRExportEvent MakePageTextExporter(TQRPrinter& document, PageTextOptions options) {
    return [&document, options = std::move(options)](TQRExportFilter& filter) {
        ExportPageText(PagesOf(document), filter, options);
    };
}

}  // namespace qrp::exporter
