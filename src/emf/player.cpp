#include "player.h"

#include <cmath>

#include "player_p.h"

namespace qrp::emf {

Player::Player(std::span<const std::uint8_t> emf) : m_emf(emf), m_header(ReadHeader(emf)) {}

namespace {

// The frame's extent in reference-device pixels, or the bounds' when the frame is empty.
double Extent(double framePx, std::int32_t boundsLow, std::int32_t boundsHigh) {
    if (std::fabs(framePx) >= 1e-9)
        return framePx;
    const double bounds = static_cast<double>(boundsHigh) - boundsLow;
    return bounds != 0 ? bounds : 1;
}

Matrix ReadXform(const Record& r, std::size_t at) {
    return {r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20)};
}

PointF ToPointF(PointL p) {
    return {static_cast<double>(p.x), static_cast<double>(p.y)};
}

// Where the EMF+ look-ahead draws: nowhere.
class NoDevice final : public Device {
  public:
    void SetClip(const Clip&) override {}
    void DrawPath(const Path&, const Pen&, const Brush&, std::uint32_t) override {}
    void DrawText(const TextRun&) override {}
    void DrawImage(const ImageDraw&) override {}
};

// PlayEnhMetaFile's mapping: the frame onto the destination rectangle.
Matrix FrameToDestination(const Header& header, const RectF& destination) {
    const double sx = destination.Width() / Extent(header.FrameWidthPx(), header.bounds.left, header.bounds.right);
    const double sy = destination.Height() / Extent(header.FrameHeightPx(), header.bounds.top, header.bounds.bottom);
    const bool frameEmpty = header.frame.right == header.frame.left;
    const double left = frameEmpty ? header.bounds.left : header.FrameLeftPx();
    const double top = header.frame.bottom == header.frame.top ? header.bounds.top : header.FrameTopPx();
    return {sx, 0, 0, sy, destination.left - left * sx, destination.top - top * sy};
}

}  // namespace

PlayStats Player::Play(Device& device, const RectF& destination, const PlayOptions& options) const {
    return Playback(m_emf, m_header, device, FrameToDestination(m_header, destination), destination).Run(options);
}

PlayStats PlayNested(std::span<const std::uint8_t> emf, Device& device, const Matrix& pixelsToOutput, const RectF& area,
                     NestedWork& work) {
    const Header header = ReadHeader(emf);
    return Playback(emf, header, device, pixelsToOutput, area, &work).Run({});
}

Playback::Playback(std::span<const std::uint8_t> emf, const Header& header, Device& device,
                   const Matrix& deviceToOutput, const RectF& area, NestedWork* work)
    : m_emf(emf),
      m_header(header),
      m_device(device),
      m_deviceToOutput(deviceToOutput),
      m_area(area),
      m_work(work),
      m_pixelBudget(work ? work->pixels : m_ownPixels) {}

std::unique_ptr<plus::Playback> Playback::EmfPlusPlayback() {
    // GDI+ puts its EMF+ header in the record after the EMF header: a picture without one
    // there costs no look-ahead.
    RecordReader reader(m_emf);
    reader.Next();
    const auto first = reader.Next();
    if (!first || first->Type() != kEmrComment || !plus::IsEmfPlusComment(*first))
        return nullptr;
    NoDevice nowhere;
    plus::Playback check(nowhere, m_deviceToOutput, m_area, true, m_work);
    check.Feed(*first);
    while (const auto record = reader.Next()) {
        if (check.Failed())
            return nullptr;
        if (record->Type() == kEmrComment && plus::IsEmfPlusComment(*record))
            check.Feed(*record);
    }
    if (check.Failed())
        return nullptr;
    return std::make_unique<plus::Playback>(m_device, m_deviceToOutput, m_area, false, m_work);
}

PlayStats Playback::Run(const PlayOptions& options) {
    const std::unique_ptr<plus::Playback> emfPlus = options.gdiOnly ? nullptr : EmfPlusPlayback();
    bool gdiSection = false;
    RecordReader reader(m_emf);
    while (const auto record = reader.Next()) {
        ++m_stats.records;
        if (emfPlus) {
            if (record->Type() == kEmrComment && plus::IsEmfPlusComment(*record)) {
                emfPlus->Feed(*record);
                if (emfPlus->InGetDc() && !gdiSection) {
                    // GDI draws on: its clip and smoothing replace the EMF+ ones.
                    m_clipDirty = m_clipSent = true;
                    m_device.SetAntialias(true);
                } else if (!emfPlus->InGetDc() && gdiSection) {
                    emfPlus->DeviceStateChanged();
                }
                gdiSection = emfPlus->InGetDc();
                continue;
            }
            if (!gdiSection)
                continue;
        }
        try {
            Dispatch(*record);
        } catch (const RecordError&) {
            // A count or offset that points outside its record: skip just this record.
            ++m_stats.damaged;
        }
    }
    m_stats.truncated = reader.Damaged();
    if (emfPlus) {
        m_stats.emfPlus = true;
        m_stats.drawCalls += emfPlus->DrawCalls();
        m_stats.damaged += emfPlus->Damaged();
    }
    return m_stats;
}

const Matrix& Playback::LogicalToOutput() {
    if (m_mappingDirty) {
        m_logicalToOutput = Then(Then(m_dc.world, PageToDevice(m_dc)), m_deviceToOutput);
        m_mappingDirty = false;
    }
    return m_logicalToOutput;
}

Color Playback::ResolveColor(std::uint32_t colorRef) const {
    // 0x01nnnnnn is PALETTEINDEX(n): an entry of the selected logical palette.
    if ((colorRef >> 24) == 1) {
        const auto* palette = std::get_if<PaletteObject>(m_dc.palette.get());
        const std::uint32_t index = colorRef & 0xFFFF;
        if (palette && index < palette->entries.size())
            return palette->entries[index];
        return {};
    }
    return {static_cast<std::uint8_t>(colorRef), static_cast<std::uint8_t>(colorRef >> 8),
            static_cast<std::uint8_t>(colorRef >> 16)};
}

void Playback::SaveDc() {
    if (m_saved.size() < kMaxSaveDepth)
        m_saved.push_back(m_dc);
}

void Playback::RestoreDc(std::int32_t which) {
    // Negative: that many levels back; positive: the state SAVEDC number `which` saved.
    const std::int64_t depth = static_cast<std::int64_t>(m_saved.size());
    const std::int64_t keep = which < 0 ? depth + which : static_cast<std::int64_t>(which) - 1;
    if (which == 0 || keep < 0 || keep >= depth)
        return;
    m_dc = std::move(m_saved[static_cast<std::size_t>(keep)]);
    m_saved.resize(static_cast<std::size_t>(keep));
    MappingChanged();
    m_clipDirty = true;
}

void Playback::ModifyWorldTransform(const Matrix& xform, std::uint32_t mode) {
    Matrix result;
    switch (mode) {
        case kMwtIdentity:
            break;
        case kMwtLeftMultiply:
            result = Then(xform, m_dc.world);
            break;
        case kMwtRightMultiply:
            result = Then(m_dc.world, xform);
            break;
        case kMwtSet:
            result = xform;
            break;
        default:
            return;
    }
    // GDI refuses transforms it cannot invert; so do we, which also keeps NaN out.
    if (!result.IsFinite() || result.Determinant() == 0)
        return;
    m_dc.world = result;
    MappingChanged();
}

void Playback::Dispatch(const Record& r) {
    switch (r.Type()) {
        // ---- mapping ----
        case kEmrSetMapMode:
            SetMapMode(m_dc, r.U32(8), PixelsPerMm());
            MappingChanged();
            break;
        case kEmrSetWindowExtEx:
        case kEmrSetViewportExtEx: {
            const PointF ext = ToPointF(r.Point32(8));
            if (!ExtentsSettable(m_dc.mapMode) || ext.x == 0 || ext.y == 0)
                break;
            (r.Type() == kEmrSetWindowExtEx ? m_dc.windowExt : m_dc.viewportExt) = ext;
            MappingChanged();
            break;
        }
        case kEmrSetWindowOrgEx:
            m_dc.windowOrg = ToPointF(r.Point32(8));
            MappingChanged();
            break;
        case kEmrSetViewportOrgEx:
            m_dc.viewportOrg = ToPointF(r.Point32(8));
            MappingChanged();
            break;
        case kEmrScaleViewportExtEx:
        case kEmrScaleWindowExtEx: {
            const std::int32_t xNum = r.I32(8), xDenom = r.I32(12), yNum = r.I32(16), yDenom = r.I32(20);
            if (!ExtentsSettable(m_dc.mapMode) || xNum == 0 || xDenom == 0 || yNum == 0 || yDenom == 0)
                break;
            PointF& ext = r.Type() == kEmrScaleWindowExtEx ? m_dc.windowExt : m_dc.viewportExt;
            ext = {ext.x * xNum / xDenom, ext.y * yNum / yDenom};
            MappingChanged();
            break;
        }
        case kEmrSetWorldTransform:
            ModifyWorldTransform(ReadXform(r, 8), kMwtSet);
            break;
        case kEmrModifyWorldTransform:
            ModifyWorldTransform(ReadXform(r, 8), r.U32(32));
            break;
        case kEmrSaveDc:
            SaveDc();
            break;
        case kEmrRestoreDc:
            RestoreDc(r.I32(8));
            break;

        // ---- simple attributes ----
        case kEmrSetBkMode:
            m_dc.bkMode = r.U32(8);
            break;
        case kEmrSetBkColor:
            m_dc.bkColor = ResolveColor(r.U32(8));
            break;
        case kEmrSetTextColor:
            m_dc.textColor = ResolveColor(r.U32(8));
            break;
        case kEmrSetTextAlign:
            m_dc.textAlign = r.U32(8);
            break;
        case kEmrSetPolyFillMode:
            m_dc.polyFillMode = r.U32(8);
            break;
        case kEmrSetRop2:
            m_dc.rop2 = r.U32(8);
            break;
        case kEmrSetArcDirection:
            m_dc.arcDirection = r.U32(8);
            break;
        case kEmrSetLayout:
            m_dc.layout = r.U32(8);
            break;
        case kEmrSetBrushOrgEx:
            m_dc.brushOrg = ToPointF(r.Point32(8));
            break;
        case kEmrSetMiterLimit: {
            // Written as a FLOAT by GDI; some writers put an integer there.
            const float value = r.F32(8);
            m_dc.miterLimit = std::isfinite(value) && value >= 1 ? value : std::max<double>(1, r.U32(8) & 0xFFFF);
            break;
        }
        case kEmrMoveToEx:
            MoveTo(ToPointF(r.Point32(8)));
            break;

        // ---- objects ----
        case kEmrCreatePen:
            CreatePen(r);
            break;
        case kEmrExtCreatePen:
            ExtCreatePen(r);
            break;
        case kEmrCreateBrushIndirect:
            CreateBrushIndirect(r);
            break;
        case kEmrCreateDibPatternBrushPt:
            CreatePatternBrush(r, false);
            break;
        case kEmrCreateMonoBrush:
            CreatePatternBrush(r, true);
            break;
        case kEmrExtCreateFontIndirectW:
            CreateFont(r);
            break;
        case kEmrCreatePalette:
            CreatePalette(r);
            break;
        case kEmrSetPaletteEntries:
            SetPaletteEntries(r);
            break;
        case kEmrSelectObject:
        case kEmrSelectPalette:
            SelectObject(r.U32(8));
            break;
        case kEmrDeleteObject:
            DeleteObject(r.U32(8));
            break;

        // ---- clipping ----
        case kEmrIntersectClipRect:
            ClipRect(r, ClipMode::Intersect);
            break;
        case kEmrExcludeClipRect:
            ClipRect(r, ClipMode::Difference);
            break;
        case kEmrExtSelectClipRgn:
            ExtSelectClipRgn(r);
            break;
        case kEmrOffsetClipRgn:
            OffsetClip(LogicalToOutput().MapVector(ToPointF(r.Point32(8))));
            break;
        case kEmrSelectClipPath:
            SelectClipPath(r.U32(8));
            break;
        case kEmrSetMetaRgn:
            SetMetaRgn();
            break;

        // ---- lines and shapes ----
        case kEmrLineTo:
            LineTo(ToPointF(r.Point32(8)));
            break;
        case kEmrPolyline:
        case kEmrPolygon:
        case kEmrPolyBezier:
        case kEmrPolyBezierTo:
        case kEmrPolylineTo:
            Polyline(r, false, r.Type());
            break;
        case kEmrPolyline16:
            Polyline(r, true, kEmrPolyline);
            break;
        case kEmrPolygon16:
            Polyline(r, true, kEmrPolygon);
            break;
        case kEmrPolyBezier16:
            Polyline(r, true, kEmrPolyBezier);
            break;
        case kEmrPolyBezierTo16:
            Polyline(r, true, kEmrPolyBezierTo);
            break;
        case kEmrPolylineTo16:
            Polyline(r, true, kEmrPolylineTo);
            break;
        case kEmrPolyPolyline:
            PolyPoly(r, false, false);
            break;
        case kEmrPolyPolygon:
            PolyPoly(r, false, true);
            break;
        case kEmrPolyPolyline16:
            PolyPoly(r, true, false);
            break;
        case kEmrPolyPolygon16:
            PolyPoly(r, true, true);
            break;
        case kEmrPolyDraw:
            PolyDraw(r, false);
            break;
        case kEmrPolyDraw16:
            PolyDraw(r, true);
            break;
        case kEmrRectangle:
        case kEmrRoundRect:
        case kEmrEllipse:
            BoxShape(r);
            break;
        case kEmrArc:
        case kEmrArcTo:
        case kEmrChord:
        case kEmrPie:
            ArcShape(r);
            break;
        case kEmrAngleArc:
            AngleArc(r);
            break;
        case kEmrSetPixelV:
            SetPixel(r);
            break;
        case kEmrFillRgn:
        case kEmrFrameRgn:
        case kEmrPaintRgn:
        case kEmrInvertRgn:
            RegionPaint(r);
            break;
        case kEmrGradientFill:
            GradientFill(r);
            break;

        // ---- paths ----
        case kEmrBeginPath:
        case kEmrEndPath:
        case kEmrCloseFigure:
        case kEmrFillPath:
        case kEmrStrokePath:
        case kEmrStrokeAndFillPath:
        case kEmrFlattenPath:
        case kEmrWidenPath:
        case kEmrAbortPath:
            PathRecord(r);
            break;

        // ---- text ----
        case kEmrExtTextOutW:
            ExtTextOut(r, true);
            break;
        case kEmrExtTextOutA:
            ExtTextOut(r, false);
            break;
        case kEmrSmallTextOut:
            SmallTextOut(r);
            break;

        // ---- bitmaps ----
        case kEmrBitBlt:
        case kEmrStretchBlt:
        case kEmrMaskBlt:
        case kEmrAlphaBlend:
        case kEmrTransparentBlt:
            Blt(r);
            break;
        case kEmrPlgBlt:
            PlgBlt(r);
            break;
        case kEmrStretchDiBits:
            StretchDiBits(r);
            break;
        case kEmrSetDiBitsToDevice:
            SetDiBitsToDevice(r);
            break;

        // Records that change nothing a device can show. EMF+ records ride in comments;
        // dual pictures carry the same drawing as GDI records, which are played instead.
        case kEmrHeader:
        case kEmrEof:
        case kEmrComment:
        case kEmrSetIcmMode:
        case kEmrSetStretchBltMode:
        case kEmrRealizePalette:
        case kEmrResizePalette:
        case kEmrSetMapperFlags:
        case kEmrSetColorAdjustment:
        case kEmrCreateColorSpace:
        case kEmrSetColorSpace:
        case kEmrDeleteColorSpace:
            break;
        default:
            ++m_stats.unsupported;
            break;
    }
}

}  // namespace qrp::emf
