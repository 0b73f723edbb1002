// The playback of one picture: the device-context state machine behind Player::Play.
// Split over player.cpp (records that set state), player_objects.cpp, player_shapes.cpp,
// player_clip.cpp, player_text.cpp and player_bitmaps.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "dc_state.h"
#include "device.h"
#include "dib.h"
#include "emf_header.h"
#include "emfplus_playback.h"
#include "nested_picture.h"
#include "object_table.h"
#include "player.h"
#include "record_reader.h"
#include "text_decode.h"
#include "transform.h"

namespace qrp::emf {

// SAVEDC nesting beyond this is ignored (each level copies the clip).
inline constexpr std::size_t kMaxSaveDepth = 4096;
// Clip steps beyond this are dropped; nested rectangle intersections fold into one step.
inline constexpr std::size_t kMaxClipSteps = 1024;
// Bitmap pixels one picture may decode in all: bitmaps past it are skipped.
inline constexpr std::uint64_t kMaxPicturePixels = 1ull << 28;

enum class Paint : std::uint8_t { Stroke, Fill, FillAndStroke };

class Playback {
  public:
    // `work` is what the nesting may still spend when this picture is nested in another.
    Playback(std::span<const std::uint8_t> emf, const Header& header, Device& device, const Matrix& deviceToOutput,
             const RectF& area, NestedWork* work = nullptr);
    PlayStats Run(const PlayOptions& options);

  private:
    void Dispatch(const Record& r);
    // The EMF+ player for this picture, when it has EMF+ records and all of them can be drawn.
    std::unique_ptr<plus::Playback> EmfPlusPlayback();

    // player.cpp: state records and mappings
    void SaveDc();
    void RestoreDc(std::int32_t which);
    void ModifyWorldTransform(const Matrix& xform, std::uint32_t mode);
    void MappingChanged() { m_mappingDirty = true; }
    const Matrix& LogicalToOutput();
    const Matrix& DeviceToOutput() const { return m_deviceToOutput; }
    PointF PixelsPerMm() const { return {m_header.PixelsPerMmX(), m_header.PixelsPerMmY()}; }
    Color ResolveColor(std::uint32_t colorRef) const;

    // player_objects.cpp
    void CreatePen(const Record& r);
    void ExtCreatePen(const Record& r);
    void CreateBrushIndirect(const Record& r);
    void CreatePatternBrush(const Record& r, bool monochrome);
    void CreateFont(const Record& r);
    void CreatePalette(const Record& r);
    void SetPaletteEntries(const Record& r);
    void SelectObject(std::uint32_t index);
    void DeleteObject(std::uint32_t index);
    Pen ResolvePen();
    Brush ResolveBrush(const BrushObject& brush);
    Brush SelectedBrush();

    // player_shapes.cpp
    void Draw(const Path& path, Paint paint);
    void Draw(const Path& path, const Pen& pen, const Brush& brush);
    void Polyline(const Record& r, bool points16, std::uint32_t type);
    void PolyPoly(const Record& r, bool points16, bool polygon);
    void PolyDraw(const Record& r, bool points16);
    void LineTo(PointF p);
    void MoveTo(PointF p);
    void BoxShape(const Record& r);
    void ArcShape(const Record& r);
    void AngleArc(const Record& r);
    void PathRecord(const Record& r);
    void RegionPaint(const Record& r);
    void SetPixel(const Record& r);
    void GradientFill(const Record& r);
    Path NewPath() const;
    void EnsureFigure();

    // player_clip.cpp
    void AddClip(ClipShape shape);
    void ClipRect(const Record& r, ClipMode mode);
    void ExtSelectClipRgn(const Record& r);
    void OffsetClip(PointF offset);
    void SelectClipPath(std::uint32_t mode);
    void SetMetaRgn();
    void FlushClip();
    ClipShape ShapeOf(const RectF& logical);
    Path RegionPath(const std::vector<RectL>& rects, const Matrix& toOutput) const;

    // player_text.cpp
    void ExtTextOut(const Record& r, bool wide);
    void SmallTextOut(const Record& r);
    void DrawTextRun(PointF reference, std::u16string text, std::vector<PointF> advances, std::uint32_t options,
                     const RectL* rect);
    Font ResolveFont(const FontObject& font);

    // player_bitmaps.cpp
    void Blt(const Record& r);
    void StretchDiBits(const Record& r);
    void SetDiBitsToDevice(const Record& r);
    // Reads the DIB whose BITMAPINFO offset and size stand at bmiField, and draws its
    // source rectangle onto the output images of three logical corners (top-left,
    // top-right, bottom-left).
    void BlitDib(const Record& r, std::size_t bmiField, std::uint32_t usage, PointF src, PointF extent,
                 std::uint32_t rop, const std::array<PointF, 3>& corners);
    void PlgBlt(const Record& r);
    void PatternBlt(const RectF& logical, std::uint32_t rop);
    // The DIB whose BITMAPINFO offset and size stand at `at`, its pixels charged to the
    // picture's budget; nothing without a header or past the budget.
    std::optional<DibSource> DibAt(const Record& r, std::size_t at, std::uint32_t usage);
    std::shared_ptr<Image> ReadDib(const Record& r, std::size_t at, std::uint32_t usage, bool keepAlpha,
                                   bool monochrome = false);
    // A blit's bitmap: decoded, or a JPEG or PNG handed on for the device to decode.
    std::shared_ptr<Image> ReadBlitSource(const Record& r, std::size_t at, std::uint32_t usage, bool keepAlpha);
    void ApplyMask(const Record& r, std::size_t at, Image& image, PointF maskOrigin);
    void EmitImage(ImageDraw draw);

    std::span<const std::uint8_t> m_emf;
    const Header& m_header;
    Device& m_device;
    Matrix m_deviceToOutput;
    RectF m_area;
    NestedWork* m_work;
    Matrix m_logicalToOutput;
    bool m_mappingDirty = true;

    DcState m_dc;
    std::vector<DcState> m_saved;
    ObjectTable m_objects;
    TextDecoder m_textDecoder;

    Path m_path;  // the path bracket's path, output coordinates
    bool m_inPath = false;
    bool m_figureOpen = false;
    bool m_pathWidened = false;

    std::uint64_t m_ownPixels = kMaxPicturePixels;
    std::uint64_t& m_pixelBudget;  // the nesting's when nested
    // The last monochrome pattern recoloured, so that a brush used many times in the same
    // colours is recoloured once.
    std::shared_ptr<const Image> m_monoSource, m_monoRecoloured;
    Color m_monoForeground, m_monoBackground;

    bool m_clipDirty = false;
    bool m_clipSent = false;
    PlayStats m_stats;
};

}  // namespace qrp::emf
