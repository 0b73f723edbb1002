// Bitmap records: BITBLT, STRETCHBLT, MASKBLT, PLGBLT, ALPHABLEND, TRANSPARENTBLT,
// STRETCHDIBITS and SETDIBITSTODEVICE, plus the blits without a source bitmap.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "emf_format.h"
#include "path_builder.h"
#include "player_p.h"

namespace qrp::emf {

namespace {

PointF ToPointF(PointL p) {
    return {static_cast<double>(p.x), static_cast<double>(p.y)};
}

bool Inside(const RectF& r, const Image& image) {
    const RectF n{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                  std::max(r.top, r.bottom)};
    return n.left >= 0 && n.top >= 0 && n.right <= image.width && n.bottom <= image.height;
}

// Writers disagree on whether a blit's source offset counts in the recorded bitmap or in
// the bitmap it was cut from; the recorded bitmap is often just the part that was blitted.
RectF FitSource(RectF source, const Image& image) {
    if (Inside(source, image))
        return source;
    const RectF atOrigin{0, 0, source.Width(), source.Height()};
    if (Inside(atOrigin, image))
        return atOrigin;
    return {0, 0, static_cast<double>(image.width), static_cast<double>(image.height)};
}

}  // namespace

std::optional<DibSource> Playback::DibAt(const Record& r, std::size_t at, std::uint32_t usage) {
    const std::uint32_t infoAt = r.U32(at), infoSize = r.U32(at + 4);
    const std::uint32_t bitsAt = r.U32(at + 8), bitsSize = r.U32(at + 12);
    if (infoSize == 0)
        return std::nullopt;
    DibSource source;
    source.info = r.Array(infoAt, infoSize, 1);
    source.bits = r.Array(bitsAt, bitsSize, 1);
    // A few bytes of header can ask for a huge bitmap; each picture gets a pixel budget.
    const auto info = ReadDibInfo(source.info);
    if (!info)
        return std::nullopt;
    const std::uint64_t pixels = static_cast<std::uint64_t>(std::llabs(static_cast<long long>(info->width))) *
                                 static_cast<std::uint64_t>(std::llabs(static_cast<long long>(info->height)));
    if (pixels > m_pixelBudget)
        return std::nullopt;
    m_pixelBudget -= pixels;
    source.usage = usage;
    if (const auto* palette = std::get_if<PaletteObject>(m_dc.palette.get()))
        source.palette = palette->entries;
    return source;
}

std::shared_ptr<Image> Playback::ReadDib(const Record& r, std::size_t at, std::uint32_t usage, bool keepAlpha,
                                         bool monochrome) {
    auto source = DibAt(r, at, usage);
    if (!source)
        return nullptr;
    source->keepAlpha = keepAlpha;
    source->monochrome = monochrome;
    return DecodeDib(*source);
}

std::shared_ptr<Image> Playback::ReadBlitSource(const Record& r, std::size_t at, std::uint32_t usage, bool keepAlpha) {
    auto source = DibAt(r, at, usage);
    if (!source)
        return nullptr;
    source->keepAlpha = keepAlpha;
    if (auto encoded = EncodedDib(*source))
        return encoded;
    return DecodeDib(*source);
}

// The mask's black pixels keep the destination (the background raster operation of the
// usual masks), which a device gets as transparent pixels.
void Playback::ApplyMask(const Record& r, std::size_t at, Image& image, PointF maskOrigin) {
    // A JPEG or PNG is decoded only by the device: it is drawn whole.
    if (r.U32(at + 16) == 0 || image.encoding != ImageEncoding::None)
        return;
    const auto mask = ReadDib(r, at + 12, r.U32(at + 8), false, true);
    if (!mask)
        return;
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            const double mx = x + maskOrigin.x, my = y + maskOrigin.y;
            const bool set = mx >= 0 && my >= 0 && mx < mask->width && my < mask->height &&
                             (mask->pixels[static_cast<std::size_t>(my) * mask->width + static_cast<std::size_t>(mx)] &
                              0x00FFFFFF) != 0;
            if (!set)
                image.pixels[static_cast<std::size_t>(y) * image.width + x] = 0;
        }
    }
}

void Playback::EmitImage(ImageDraw draw) {
    for (const PointF& p : draw.destination) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return;
    }
    if (!draw.blend && !draw.transparentColor && RopUsesPattern(draw.rop))
        draw.pattern = SelectedBrush();
    FlushClip();
    m_device.DrawImage(draw);
    ++m_stats.drawCalls;
}

void Playback::PatternBlt(const RectF& logical, std::uint32_t rop) {
    Path path = NewPath();
    PathBuilder(path, LogicalToOutput()).Rectangle(logical);
    Pen none;
    none.style = PenStyle::Null;
    Brush brush;
    std::uint32_t rop2 = kR2CopyPen;
    switch (rop) {
        case kPatCopy:
            brush = SelectedBrush();
            break;
        case kPatInvert:
            brush = SelectedBrush(), rop2 = kR2XorPen;
            break;
        case kBlackness:
            break;
        case kWhiteness:
            brush.color = {255, 255, 255};
            break;
        case kDstInvert:
            rop2 = kR2Not;
            break;
        case kDestinationOnly:
            return;
        default:
            ++m_stats.unsupported;
            return;
    }
    const std::uint32_t saved = m_dc.rop2;
    m_dc.rop2 = rop2;
    Draw(path, none, brush);
    m_dc.rop2 = saved;
}

void Playback::Blt(const Record& r) {
    const std::uint32_t type = r.Type();
    const PointF dest = ToPointF(r.Point32(kBltDest));
    const PointF destExtent = ToPointF(r.Point32(kBltDest + 8));
    const std::uint32_t rop = r.U32(kBltRop);
    const PointF src = ToPointF(r.Point32(kBltSrc));
    const bool sameExtent = type == kEmrBitBlt || type == kEmrMaskBlt;
    const PointF srcExtent = sameExtent ? destExtent : ToPointF(r.Point32(kBltSrcExtent));
    const RectF destRect{dest.x, dest.y, dest.x + destExtent.x, dest.y + destExtent.y};

    if (r.U32(kBltBmi + 4) == 0) {
        if (type == kEmrBitBlt || type == kEmrStretchBlt || type == kEmrMaskBlt) {
            PatternBlt(destRect, rop & 0x00FFFFFF);
        }
        return;
    }
    ImageDraw draw;
    draw.rop = rop;
    if (type == kEmrAlphaBlend) {
        draw.blend = BlendFunction{static_cast<std::uint8_t>(rop), static_cast<std::uint8_t>(rop >> 8),
                                   static_cast<std::uint8_t>(rop >> 16), static_cast<std::uint8_t>(rop >> 24)};
        draw.rop = kSrcCopy;
    } else if (type == kEmrTransparentBlt) {
        draw.transparentColor = ResolveColor(rop);
        draw.rop = kSrcCopy;
    } else if (type == kEmrMaskBlt) {
        draw.rop = rop & 0x00FFFFFF;  // the foreground operation, where the mask is set
    }
    const bool keepAlpha = draw.blend && (draw.blend->alphaFormat & kAcSrcAlpha);
    auto image = ReadBlitSource(r, kBltBmi, r.U32(kBltUsage), keepAlpha);
    if (!image) {
        ++m_stats.unsupported;
        return;
    }
    draw.source = FitSource({src.x, src.y, src.x + srcExtent.x, src.y + srcExtent.y}, *image);
    if (type == kEmrMaskBlt) {
        const PointF maskAt = ToPointF(r.Point32(kMaskBltMask));
        ApplyMask(r, kMaskBltMask, *image, {maskAt.x - draw.source.left, maskAt.y - draw.source.top});
    }
    draw.image = std::move(image);
    const Matrix& m = LogicalToOutput();
    draw.destination = {m.Map({destRect.left, destRect.top}), m.Map({destRect.right, destRect.top}),
                        m.Map({destRect.left, destRect.bottom})};
    EmitImage(std::move(draw));
}

void Playback::PlgBlt(const Record& r) {
    const PointF p0 = ToPointF(r.Point32(kPlgBltDest)), p1 = ToPointF(r.Point32(kPlgBltDest + 8));
    const PointF p2 = ToPointF(r.Point32(kPlgBltDest + 16));
    const PointF src = ToPointF(r.Point32(kPlgBltSrc)), srcExtent = ToPointF(r.Point32(kPlgBltSrc + 8));
    auto image = ReadBlitSource(r, kPlgBltBmi, r.U32(kPlgBltUsage), false);
    if (!image) {
        ++m_stats.unsupported;
        return;
    }
    ImageDraw draw;
    draw.rop = kSrcCopy;
    draw.source = FitSource({src.x, src.y, src.x + srcExtent.x, src.y + srcExtent.y}, *image);
    const PointF maskAt = ToPointF(r.Point32(kPlgBltMask));
    ApplyMask(r, kPlgBltMask, *image, {maskAt.x - draw.source.left, maskAt.y - draw.source.top});
    draw.image = std::move(image);
    const Matrix& m = LogicalToOutput();
    draw.destination = {m.Map(p0), m.Map(p1), m.Map(p2)};
    EmitImage(std::move(draw));
}

void Playback::StretchDiBits(const Record& r) {
    const PointF dest = ToPointF(r.Point32(kStretchDiDest));
    const PointF src = ToPointF(r.Point32(kStretchDiSrc)), srcExtent = ToPointF(r.Point32(kStretchDiSrc + 8));
    const PointF destExtent = ToPointF(r.Point32(kStretchDiDestExtent));
    const std::uint32_t rop = r.U32(kStretchDiRop);
    const RectF destRect{dest.x, dest.y, dest.x + destExtent.x, dest.y + destExtent.y};
    if (r.U32(kStretchDiBmi + 4) == 0) {
        PatternBlt(destRect, rop);
        return;
    }
    BlitDib(r, kStretchDiBmi, r.U32(kStretchDiUsage), src, srcExtent, rop,
            {PointF{destRect.left, destRect.top}, PointF{destRect.right, destRect.top},
             PointF{destRect.left, destRect.bottom}});
}

void Playback::SetDiBitsToDevice(const Record& r) {
    const PointF dest = ToPointF(r.Point32(kSetDiDest));
    const PointF src = ToPointF(r.Point32(kSetDiSrc)), extent = ToPointF(r.Point32(kSetDiSrc + 8));
    BlitDib(r, kSetDiBmi, r.U32(kSetDiUsage), src, extent, kSrcCopy,
            {dest, PointF{dest.x + extent.x, dest.y}, PointF{dest.x, dest.y + extent.y}});
}

void Playback::BlitDib(const Record& r, std::size_t bmiField, std::uint32_t usage, PointF src, PointF extent,
                       std::uint32_t rop, const std::array<PointF, 3>& corners) {
    auto image = ReadBlitSource(r, bmiField, usage, false);
    if (!image) {
        ++m_stats.unsupported;
        return;
    }
    // For a bottom-up DIB the source rectangle counts from the lower-left corner.
    const auto info = ReadDibInfo(r.Array(r.U32(bmiField), r.U32(bmiField + 4), 1));
    const double top = info && info->height > 0 ? image->height - (src.y + extent.y) : src.y;
    ImageDraw draw;
    draw.rop = rop;
    draw.source = FitSource({src.x, top, src.x + extent.x, top + extent.y}, *image);
    draw.image = std::move(image);
    const Matrix& m = LogicalToOutput();
    draw.destination = {m.Map(corners[0]), m.Map(corners[1]), m.Map(corners[2])};
    EmitImage(std::move(draw));
}

}  // namespace qrp::emf
