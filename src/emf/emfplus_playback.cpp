#include "emfplus_playback.h"

#include <cmath>
#include <numbers>

#include "emfplus_format.h"
#include "path_builder.h"

namespace qrp::emf::plus {

namespace {

// Save and container levels kept; deeper ones are refused.
constexpr std::size_t kMaxSaved = 4096;
// Bitmap pixels one picture's EMF+ objects may decode in all.
constexpr std::uint64_t kMaxPixels = 1ull << 28;

}  // namespace

bool IsEmfPlusComment(const Record& comment) {
    return comment.Has(12, 4) && comment.U32(12) == kCommentSignature;
}

Playback::Playback(Device& device, const Matrix& deviceToOutput, const RectF& area, bool check, NestedWork* work)
    : m_device(device),
      m_pixelsToOutput(deviceToOutput),
      m_area(area),
      m_check(check),
      m_work(work ? *work : m_ownWork),
      m_ownPixels(kMaxPixels),
      m_pixelBudget(work ? work->pixels : m_ownPixels) {}

void Playback::Feed(const Record& comment) {
    // The comment's own data size, then "EMF+", then the records up to the end of that data.
    const std::uint64_t declared = comment.U32(8);
    const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(12 + declared, comment.Size()));
    const auto bytes = comment.Bytes().first(end);
    std::size_t at = 16;
    while (at + 12 <= bytes.size()) {
        Cursor header(bytes, at);
        const std::uint16_t type = header.U16();
        const std::uint16_t flags = header.U16();
        const std::uint32_t size = header.U32();
        const std::uint32_t dataSize = header.U32();
        if (size < 12 || size > bytes.size() - at || dataSize > size - 12) {
            // A broken size leaves nothing after it to trust.
            ++m_damaged;
            m_failed = true;
            return;
        }
        m_inGetDc = type == kGetDc;
        try {
            Dispatch(type, flags, bytes.subspan(at + 12, dataSize));
        } catch (const RecordError&) {
            ++m_damaged;
            m_failed = true;
        }
        at += size;
    }
}

Matrix Playback::ToOutput() const {
    const double sx = m_state.pageScale * UnitToPixels(m_state.pageUnit, false);
    const double sy = m_state.pageScale * UnitToPixels(m_state.pageUnit, true);
    return Then(Then(m_state.world, Matrix::Scale(sx, sy)), m_pixelsToOutput);
}

Matrix Playback::UnitToOutput(std::uint32_t unit) const {
    if (unit == kUnitWorld || unit == kUnitDisplay)
        return ToOutput();
    return Then(Then(Matrix::Scale(UnitToPixels(unit, false), UnitToPixels(unit, true)), m_state.world),
                m_pixelsToOutput);
}

double Playback::UnitToPixels(std::uint32_t unit, bool vertical) const {
    const double dpi = vertical ? m_dpiY : m_dpiX;
    switch (unit) {
        case kUnitPoint:
            return dpi / 72;
        case kUnitInch:
            return dpi;
        case kUnitDocument:
            return dpi / 300;
        case kUnitMillimeter:
            return dpi / 25.4;
        default:
            return 1;  // world, display and pixel: the reference device's pixels
    }
}

void Playback::ChangeWorld(const Matrix& m, bool append) {
    const Matrix result = append ? Then(m_state.world, m) : Then(m, m_state.world);
    if (!result.IsFinite() || result.Determinant() == 0) {
        Unsupported();
        return;
    }
    m_state.world = result;
}

void Playback::Save(std::uint32_t index) {
    if (m_saved.size() >= kMaxSaved) {
        Unsupported();
        return;
    }
    m_saved.push_back(m_state);
    m_saved.back().stackIndex = index;
}

void Playback::Restore(std::uint32_t index) {
    for (std::size_t i = m_saved.size(); i-- > 0;) {
        if (m_saved[i].stackIndex != index)
            continue;
        m_state = std::move(m_saved[i]);
        m_saved.resize(i);
        m_clipDirty = true;
        return;
    }
}

void Playback::BeginContainer(std::uint16_t flags, Cursor& c) {
    const RectF dest = ReadRect(c, false), source = ReadRect(c, false);
    const std::uint32_t index = c.U32();
    if (source.Width() == 0 || source.Height() == 0) {
        Unsupported();
        return;
    }
    Save(index);
    // The container maps its source rectangle (in the given unit) onto the destination.
    const double ux = UnitToPixels(flags & 0xFF, false), uy = UnitToPixels(flags & 0xFF, true);
    const Matrix m =
        Then(Then(Matrix::Translate(-source.left, -source.top), Matrix::Scale(ux, uy)),
             Then(Matrix::Scale(dest.Width() / (source.Width() * ux), dest.Height() / (source.Height() * uy)),
                  Matrix::Translate(dest.left, dest.top)));
    ChangeWorld(m, false);
}

void Playback::Dispatch(std::uint16_t type, std::uint16_t flags, std::span<const std::uint8_t> data) {
    Cursor c(data);
    switch (type) {
        case kHeader:
            c.U32();  // version
            c.U32();  // flags
            m_dpiX = c.U32();
            m_dpiY = c.U32();
            if (m_dpiX <= 0 || m_dpiY <= 0 || m_dpiX > 1e5 || m_dpiY > 1e5)
                throw RecordError("EMF+ header with an impossible resolution");
            break;
        case kEndOfFile:
        case kComment:
        case kGetDc:
        case kSetTextContrast:
        case kSetInterpolationMode:
        case kSetPixelOffsetMode:
        case kSetCompositingQuality:
        case kSetTextRenderingHint:  // glyph smoothing is the device's own
        case kSerializableObject:    // effect parameters for the DrawImage that follows
            break;
        case kSetCompositingMode:
            if ((flags & 0xFF) != 0)
                Unsupported();  // source copy: alpha replaces instead of blending
            break;
        case kObject:
            m_objects.Define(flags, data, m_pixelBudget);
            break;
        case kSetAntiAliasMode:
            m_antialias = (flags & 1) != 0;
            m_aaDirty = true;
            break;
        case kSetRenderingOrigin: {
            const double x = c.I32();
            m_renderingOrigin = {x, static_cast<double>(c.I32())};
            break;
        }
        case kSave:
            Save(c.U32());
            break;
        case kRestore:
        case kEndContainer:
            Restore(c.U32());
            break;
        case kBeginContainer:
            BeginContainer(flags, c);
            break;
        case kBeginContainerNoParams:
            Save(c.U32());
            break;
        case kSetWorldTransform: {
            const Matrix m = c.ReadMatrix();
            if (!m.IsFinite() || m.Determinant() == 0)
                Unsupported();
            else
                m_state.world = m;
            break;
        }
        case kResetWorldTransform:
            m_state.world = {};
            break;
        case kMultiplyWorldTransform:
            ChangeWorld(c.ReadMatrix(), flags & kFlagAppend);
            break;
        case kTranslateWorldTransform: {
            const double dx = c.F32();
            ChangeWorld(Matrix::Translate(dx, c.F32()), flags & kFlagAppend);
            break;
        }
        case kScaleWorldTransform: {
            const double sx = c.F32();
            ChangeWorld(Matrix::Scale(sx, c.F32()), flags & kFlagAppend);
            break;
        }
        case kRotateWorldTransform: {
            const double radians = c.F32() * std::numbers::pi / 180;
            const double cs = std::cos(radians), sn = std::sin(radians);
            ChangeWorld({cs, sn, -sn, cs, 0, 0}, flags & kFlagAppend);
            break;
        }
        case kSetPageTransform: {
            const double scale = c.F32();
            if (!std::isfinite(scale) || scale <= 0 || (flags & 0xFF) > kUnitMillimeter) {
                Unsupported();
                break;
            }
            m_state.pageUnit = flags & 0xFF;
            m_state.pageScale = scale;
            break;
        }
        case kResetClip:
            m_state.clip.clear();
            m_clipDirty = true;
            break;
        case kSetClipRect: {
            Path path;
            PathBuilder(path, ToOutput()).Rectangle(ReadRect(c, false));
            CombineClip({{ClipMode::Replace, std::move(path)}}, (flags >> 8) & 0xF);
            break;
        }
        case kSetClipPath: {
            const auto* path = std::get_if<PathDef>(&ObjectAt(flags & 0xFF));
            if (!path) {
                Unsupported();
                break;
            }
            CombineClip({{ClipMode::Replace, ToPath(*path, ToOutput(), true)}}, (flags >> 8) & 0xF);
            break;
        }
        case kSetClipRegion: {
            const auto* region = std::get_if<RegionDef>(&ObjectAt(flags & 0xFF));
            std::vector<ClipStep> steps;
            if (!region || !RegionSteps(*region, steps)) {
                Unsupported();
                break;
            }
            CombineClip(std::move(steps), (flags >> 8) & 0xF);
            break;
        }
        case kOffsetClip: {
            const double dx = c.F32();
            OffsetClip(ToOutput().MapVector({dx, c.F32()}));
            break;
        }
        case kClear:
        case kFillRects:
        case kDrawRects:
        case kFillPolygon:
        case kDrawLines:
        case kFillEllipse:
        case kDrawEllipse:
        case kFillPie:
        case kDrawPie:
        case kDrawArc:
        case kFillPath:
        case kDrawPath:
        case kFillClosedCurve:
        case kDrawClosedCurve:
        case kDrawCurve:
        case kDrawBeziers:
            DrawShape(type, flags, c);
            break;
        case kFillRegion:
            FillRegion(flags, c);
            break;
        case kDrawImage:
        case kDrawImagePoints:
            DrawImage(type, flags, c);
            break;
        case kDrawString:
            DrawString(flags, c);
            break;
        case kDrawDriverString:
            DrawDriverString(flags, c);
            break;
        default:
            Unsupported();
            break;
    }
}

}  // namespace qrp::emf::plus
