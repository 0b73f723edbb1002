#include "page_text_device.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/errors.h"
#include "base/messages.h"
#include "emf/emf_format.h"
#include "rounding.h"
#include "text_encoding.h"

namespace qrp::exporter {

namespace {

constexpr double kPointsPerInch = 72;

TAlignment AlignmentOf(std::uint32_t align) {
    switch (align & emf::kTaHorizontalMask) {
        case emf::kTaCenter:
            return taCenter;
        case emf::kTaRight:
            return taRightJustify;
        default:
            return taLeftJustify;
    }
}

TColor ColorOf(const emf::Color& color) {
    return static_cast<TColor>(color.r | color.g << 8 | color.b << 16);
}

}  // namespace

double DropToReference(std::uint32_t align) {
    if ((align & emf::kTaVerticalMask) == emf::kTaBaseline)
        return kAscentPerEm;
    if (align & emf::kTaBottom)
        return kAscentPerEm + kDescentPerEm;
    return 0;
}

double EmHeight(const emf::Font& font, double pixelsPerInch) {
    if (font.logicalHeight < 0)
        return font.height;
    if (font.logicalHeight > 0)
        return font.height / (kAscentPerEm + kDescentPerEm);
    return kDefaultFontPoints * pixelsPerInch / kPointsPerInch;
}

PageTextDevice::PageTextDevice(const PageGeometry& geometry, TextEncoder& encoder, std::int32_t page,
                               std::uint64_t maxItems, Sink sink)
    : FGeometry(geometry), FEncoder(encoder), FPage(page), FMaxItems(maxItems), FSink(std::move(sink)) {}

void PageTextDevice::DrawText(const emf::TextRun& run) {
    const double pixelsPerInch = static_cast<double>(FGeometry.Scale * 254);
    const double em = EmHeight(run.font, pixelsPerInch);
    const long double x = run.reference.x / FGeometry.Scale;
    const long double y = (run.reference.y - DropToReference(run.align) * em) / FGeometry.Scale;
    const long double points = em * kPointsPerInch / pixelsPerInch;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(points))
        return;
    if (FItems == FMaxItems)
        throw EQRError(messages::tooManyTextItems(FPage, FMaxItems));
    ++FItems;

    PageTextItem item;
    item.X = std::clamp(x, -FGeometry.LimitX, FGeometry.LimitX);
    item.Y = std::clamp(y, -FGeometry.LimitY, FGeometry.LimitY);
    item.Font.Name = FEncoder.Encode(run.font.faceName);
    item.Font.Size =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(RoundHalfEven(points), kMinFontPoints, kMaxFontPoints));
    item.Font.Color = ColorOf(run.color);
    item.Font.Weight = run.font.weight;
    item.Font.Italic = run.font.italic;
    item.BackColor = ColorOf(run.backgroundColor);
    item.Alignment = AlignmentOf(run.align);
    // Glyph indices name shapes of one font, not characters: the item keeps its place
    // in the layout but carries no text.
    if (!(run.options & emf::kEtoGlyphIndex))
        item.Text = FEncoder.Encode(run.text);
    FSink(item);
}

}  // namespace qrp::exporter
