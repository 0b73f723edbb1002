// The text of one recorded page as the export protocol wants it: a drawing device for the
// EMF player that turns every text run into one item in tenths of a millimetre from the
// page's top-left corner, with the top of its line, its anchor and its font in points.
// Everything but text is ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "emf/device.h"
#include "export_filter.h"

namespace qrp::exporter {

class TextEncoder;

// Font metrics without a font engine. Every face is taken to rise 0.9 em above its
// baseline and to reach 0.2 em below it (the common faces of reports lie within a few
// hundredths of this), so a cell, ascent plus descent, is 1.1 em.
inline constexpr double kAscentPerEm = 0.9;
inline constexpr double kDescentPerEm = 0.2;
// A font asking for the default size (lfHeight 0) gets this many points.
inline constexpr double kDefaultFontPoints = 10;
// Font sizes are kept within these points, so that no item reaches a filter with a size
// that has no character cell or no integer.
inline constexpr std::int32_t kMinFontPoints = 1;
inline constexpr std::int32_t kMaxFontPoints = 10000;

// The em height of a run's font in output units: a negative lfHeight gives it, a positive
// one gives the cell (the internal leading, 0.1 em, comes off).
double EmHeight(const emf::Font& font, double pixelsPerInch);
// How far a run's reference point lies below the top of its line, in ems, by the vertical
// part of its TA_* alignment.
double DropToReference(std::uint32_t align);

struct PageTextItem {
    long double X = 0;  // the anchor that Alignment names
    long double Y = 0;  // the top of the line
    TFont Font;
    TColor BackColor = 0;
    TAlignment Alignment = taLeftJustify;
    std::string Text;  // in the encoder's character set
};

// How output coordinates (page pixels) become page units, and where items are kept.
struct PageGeometry {
    long double Scale = 0;  // page pixels per tenth of a millimetre; positive
    // Positions are clamped to [-Limit, Limit], so that no filter is asked to build a
    // line of blanks out to a coordinate no page has.
    long double LimitX = 0;
    long double LimitY = 0;
};

class PageTextDevice : public emf::Device {
  public:
    using Sink = std::function<void(const PageTextItem& item)>;

    // Hands every item to sink as it is drawn. More than maxItems items throw EQRError
    // naming `page`; a run at a position that is not finite is left out and not counted.
    // The encoder must outlive the device.
    PageTextDevice(const PageGeometry& geometry, TextEncoder& encoder, std::int32_t page, std::uint64_t maxItems,
                   Sink sink);

    void SetClip(const emf::Clip&) override {}
    void DrawPath(const emf::Path&, const emf::Pen&, const emf::Brush&, std::uint32_t) override {}
    void DrawText(const emf::TextRun& run) override;
    void DrawImage(const emf::ImageDraw&) override {}

    std::uint64_t Items() const { return FItems; }

  private:
    PageGeometry FGeometry;
    TextEncoder& FEncoder;
    std::int32_t FPage;
    std::uint64_t FMaxItems;
    Sink FSink;
    std::uint64_t FItems = 0;
};

}  // namespace qrp::exporter
