// The abstract drawing sink the EMF player draws on. The player resolves every GDI state
// (map mode, world transform, selected objects, text alignment) itself, so a device sees
// only finished geometry in OUTPUT coordinates: the coordinates of the destination
// rectangle handed to Player::Play, as doubles, y growing downwards.
//
// The QPainter device implements this for preview and print; tests use a recording device
// that writes one line per call. No call carries ownership of anything beyond its duration
// except the shared images, which a device may keep.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrp::emf {

struct PointF {
    double x = 0, y = 0;
    friend bool operator==(const PointF&, const PointF&) = default;
};

struct RectF {
    double left = 0, top = 0, right = 0, bottom = 0;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
    friend bool operator==(const RectF&, const RectF&) = default;
};

// A colour, straight (not premultiplied) alpha. GDI colours are opaque; EMF+ ones may not be.
struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    std::uint8_t a = 255;
    friend bool operator==(const Color&, const Color&) = default;
};

enum class ImageEncoding : std::uint8_t { None, Jpeg, Png, Gif, Tiff };

// A decoded bitmap: width x height pixels, rows top-down, each pixel 0xAARRGGBB with the
// colour premultiplied by alpha (so a QImage of Format_ARGB32_Premultiplied can wrap it).
// Opaque bitmaps have alpha 255 everywhere; only ALPHABLEND sources with per-pixel alpha
// and bitmaps given a mask carry other alpha values.
//
// Or a JPEG or PNG file the record carried (BI_JPEG, BI_PNG; EMF+ bitmaps also GIF and
// TIFF): `encoded` holds its bytes, `pixels` is empty, and width and height are what the
// bitmap header declared. Decoding is the device's job; one that cannot decode skips the image. A device must not trust
// the bytes: it decodes nothing larger than the declared size.
struct Image {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    ImageEncoding encoding = ImageEncoding::None;
    std::vector<std::uint8_t> encoded;
};

enum class PathOp : std::uint8_t { MoveTo, LineTo, CubicTo, Close };

// MoveTo and LineTo use points[0]; CubicTo uses points[0] and [1] as control points and
// points[2] as the end point; Close closes the current figure back to its start.
struct PathElement {
    PathOp op = PathOp::MoveTo;
    std::array<PointF, 3> points{};
};

enum class FillRule : std::uint8_t { OddEven, Winding };  // ALTERNATE, WINDING

struct Path {
    std::vector<PathElement> elements;
    FillRule fillRule = FillRule::OddEven;
};

enum class PenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Null, InsideFrame, UserStyle, Alternate };
enum class CapStyle : std::uint8_t { Round, Square, Flat };
enum class JoinStyle : std::uint8_t { Round, Bevel, Miter };

struct Brush;

struct Pen {
    PenStyle style = PenStyle::Solid;  // Null: do not stroke
    Color color;
    // Width in output units. 0 for a cosmetic pen: a hairline one device pixel wide.
    double width = 0;
    bool cosmetic = true;
    // For every style but Solid, InsideFrame and Null: alternating dash and gap lengths in
    // output units (for cosmetic pens in output units at the playback scale; a device may
    // prefer its own hairline pattern). Empty for solid pens.
    std::vector<double> dashes;
    CapStyle cap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 10;
    // Dash gaps are filled with backgroundColor when opaqueBackground (SETBKMODE OPAQUE).
    bool opaqueBackground = false;
    Color backgroundColor;
    // When set, the stroke is painted with this brush rather than in `color` (EMF+ pens of a
    // hatch, texture or gradient); a device that cannot paints in `color`.
    std::shared_ptr<const Brush> paint;
};

enum class BrushStyle : std::uint8_t { Null, Solid, Hatched, Pattern, LinearGradient };

struct GradientStop {
    double position = 0;  // 0 at gradientStart, 1 at gradientEnd
    Color color;
    friend bool operator==(const GradientStop&, const GradientStop&) = default;
};

struct Brush {
    BrushStyle style = BrushStyle::Solid;  // Null: do not fill
    Color color;                           // Solid and Hatched: the colour; Hatched draws its lines with it
    std::uint32_t hatch = 0;               // HS_* for Hatched
    std::shared_ptr<const Image> pattern;  // Pattern: tiled from `origin`, one image pixel per device pixel
    PointF origin;                         // brush origin (SETBRUSHORGEX) in output coordinates
    // Hatched: the space between the hatch lines is filled with backgroundColor when opaqueBackground.
    bool opaqueBackground = false;
    Color backgroundColor;
    // LinearGradient (GRADIENTFILL rectangles): color at gradientStart, gradientEndColor at gradientEnd.
    PointF gradientStart, gradientEnd;
    Color gradientEndColor;
    // When not empty, the gradient's colours in between, by ascending position (they replace
    // color and gradientEndColor). `repeat`: the gradient repeats beyond its ends instead of
    // holding the end colours.
    std::vector<GradientStop> stops;
    bool repeat = false;
};

struct Font {
    std::u16string faceName;
    // |lfHeight| mapped to output units (vertical scale of the mapping at the time of drawing);
    // for lfHeight 0, GDI's default size (12 points on the reference device) in output units.
    double height = 0;
    // The recorded lfHeight: negative asks for the character (em) height, positive for the
    // cell height (ascent + descent), 0 for the default size (an em height too).
    std::int32_t logicalHeight = 0;
    double width = 0;  // average character width in output units; 0 = the font's own
    std::int32_t weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    std::uint8_t charset = 0;
    // Angle of the baseline, degrees counter-clockwise as seen on the output (escapement plus
    // the rotation of the mapping); orientation likewise for the glyphs themselves.
    double escapement = 0;
    double orientation = 0;
};

struct TextRun {
    std::u16string text;  // UTF-16 (EXTTEXTOUTA text is already decoded by the font's charset)
    // One entry per UTF-16 unit of `text`: where that glyph's advance starts on the alignment
    // line, in output coordinates, with the horizontal part of `align` already resolved.
    // Empty when the record gave no advances: the device then measures the text and aligns
    // it at `reference` with the horizontal part of `align` itself.
    std::vector<PointF> origins;
    PointF end;               // with `origins`: where the last glyph's advance ends
    PointF reference;         // the reference point (current position for TA_UPDATECP)
    std::uint32_t align = 0;  // TA_* flags. The vertical part (TA_TOP, TA_BASELINE, TA_BOTTOM)
                              // is always the device's job: only it knows ascent and descent.
    // ETO_* flags as recorded (ETO_GLYPH_INDEX: text holds glyph indices; ETO_RTLREADING:
    // right-to-left paragraph, as is TA_RTLREADING in `align`). Text is in logical order.
    std::uint32_t options = 0;
    Font font;
    Color color;
    // OPAQUE background mode: the device fills each glyph cell with backgroundColor first.
    bool opaqueBackground = false;
    Color backgroundColor;
    // ETO_CLIPPED: the text is clipped to this area (a rectangle, possibly rotated). The
    // ETO_OPAQUE rectangle is not here: the player fills it with DrawPath before the text.
    std::optional<Path> clip;
};

struct BlendFunction {
    std::uint8_t op = 0, flags = 0;
    std::uint8_t sourceConstantAlpha = 255;
    std::uint8_t alphaFormat = 0;  // AC_SRC_ALPHA: the image's per-pixel alpha applies
};

struct ImageDraw {
    std::shared_ptr<const Image> image;
    RectF source;  // in image pixels, top-left origin; may exceed the image (outside is transparent)
    // Output coordinates of the source rectangle's top-left, top-right and bottom-left
    // corners: a parallelogram (a plain rectangle unless rotated, sheared or PLGBLT).
    std::array<PointF, 3> destination{};
    std::uint32_t rop = 0;                  // ternary raster operation, e.g. SRCCOPY, SRCAND, SRCPAINT
    std::optional<BlendFunction> blend;     // ALPHABLEND
    std::optional<Color> transparentColor;  // TRANSPARENTBLT: source pixels of this colour are skipped
    // The selected brush, when `rop` combines it with the source (MERGECOPY, PSDPxax, ...).
    std::optional<Brush> pattern;
};

// A ternary raster operation applied bitwise to pattern, source and destination values:
// each result bit is the bit (p << 2 | s << 1 | d) of the operation's code byte.
constexpr std::uint32_t ApplyRop3(std::uint32_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    const std::uint32_t code = (rop >> 16) & 0xFF;
    std::uint32_t result = 0;
    for (std::uint32_t i = 0; i < 8; ++i) {
        if ((code >> i) & 1)
            result |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return result;
}

enum class ClipMode : std::uint8_t { Intersect, Unite, Xor, Difference, Replace };

struct ClipStep {
    ClipMode mode = ClipMode::Intersect;
    Path path;
};

// The clip area: start from "everything" and apply the steps in order. No steps: no clip.
// The player always sends the whole clip, so a device needs no clip stack of its own.
struct Clip {
    std::vector<ClipStep> steps;
};

class Device {
  public:
    virtual ~Device() = default;

    // Replaces the clip for every following call.
    virtual void SetClip(const Clip& clip) = 0;
    // Fills `path` with `brush` (unless Null), then strokes it with `pen` (unless Null).
    // rop2 is the SETROP2 mode (R2_COPYPEN normally; R2_NOP draws nothing, R2_XORPEN etc.
    // are for devices that can do them).
    virtual void DrawPath(const Path& path, const Pen& pen, const Brush& brush, std::uint32_t rop2) = 0;
    virtual void DrawText(const TextRun& run) = 0;
    virtual void DrawImage(const ImageDraw& draw) = 0;
    // Whether the following shapes get smoothed edges. GDI pictures are drawn smoothed; EMF+
    // says per shape. A device that cannot choose ignores this.
    virtual void SetAntialias(bool /*on*/) {}
    // How far `text` in `font` advances, and how far apart its lines are, in output units, as
    // DrawText would lay it out: what line breaking needs. A device without a font engine
    // estimates from the font's height.
    virtual double TextWidth(const Font& font, std::u16string_view text) {
        return font.height * kEstimatedAdvance * static_cast<double>(text.size());
    }
    virtual double LineSpacing(const Font& font) { return font.height * kEstimatedLineSpacing; }

    static constexpr double kEstimatedAdvance = 0.5, kEstimatedLineSpacing = 1.15;
};

}  // namespace qrp::emf
