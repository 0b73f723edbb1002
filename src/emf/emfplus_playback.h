// Plays the EMF+ records a picture carries in its comments. The GDI player hands every
// EMF+ comment here; drawing goes to the same device in the same output coordinates.
//
// Run with `check` set first (on a device that draws nothing) over the whole picture:
// Failed() then tells whether the picture uses anything not drawn here or anything damaged,
// in which case the picture's GDI records are played instead.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "device.h"
#include "emfplus_objects.h"
#include "nested_picture.h"
#include "record_reader.h"
#include "transform.h"

namespace qrp::emf::plus {

// True when `comment` (an EMR_COMMENT record) carries EMF+ records.
bool IsEmfPlusComment(const Record& comment);

class Playback {
  public:
    // `deviceToOutput` maps the reference device's pixels (EMF+ pixels too) to output
    // coordinates; `area` is the destination rectangle (what Clear fills). `work` is what
    // the nesting may still spend when the picture is nested in another.
    Playback(Device& device, const Matrix& deviceToOutput, const RectF& area, bool check, NestedWork* work = nullptr);

    // Plays the EMF+ records of one EMF+ comment.
    void Feed(const Record& comment);
    // The last EMF+ record seen was GetDC: GDI records draw until the next EMF+ record.
    bool InGetDc() const { return m_inGetDc; }
    // GDI records drew meanwhile: send clip and smoothing again before the next drawing.
    void DeviceStateChanged() { m_clipDirty = m_aaDirty = true; }
    bool Failed() const { return m_failed; }
    std::size_t DrawCalls() const { return m_drawCalls; }
    std::size_t Damaged() const { return m_damaged; }

  private:
    struct State {
        Matrix world;
        std::uint32_t pageUnit = 2;
        double pageScale = 1;
        std::vector<ClipStep> clip;
        std::uint32_t stackIndex = 0;
    };

    void Dispatch(std::uint16_t type, std::uint16_t flags, std::span<const std::uint8_t> data);
    void Unsupported() { m_failed = true; }

    // emfplus_playback.cpp: state
    Matrix ToOutput() const;
    // The world transform, then `unit` to EMF+ pixels, then to output: how lengths given in
    // a fixed unit (pen widths, font sizes) reach the output.
    Matrix UnitToOutput(std::uint32_t unit) const;
    double UnitToPixels(std::uint32_t unit, bool vertical) const;
    void ChangeWorld(const Matrix& m, bool append);
    void Save(std::uint32_t index);
    void Restore(std::uint32_t index);
    void BeginContainer(std::uint16_t flags, Cursor& c);

    // emfplus_clip.cpp
    Path ToPath(const PathDef& def, const Matrix& m, bool closeFigures = false) const;
    bool RegionSteps(const RegionDef& region, std::vector<ClipStep>& steps) const;
    void CombineClip(std::vector<ClipStep> steps, std::uint32_t mode);
    void OffsetClip(PointF by);
    void Flush();

    // emfplus_drawing.cpp
    const Object& ObjectAt(std::uint8_t id) const { return m_objects.At(id); }
    // `own`: a brush that is part of another object (a pen's) rather than in the table.
    std::optional<Brush> BrushFor(std::uint16_t flags, std::uint32_t value, const BrushDef* own = nullptr);
    std::optional<Pen> PenAt(std::uint8_t id);
    // emfplus_pens.cpp: strokes `path` (output coordinates) with `pen` as resolved from
    // `def`; caps, compound lines and inset alignment a device stroke cannot draw become
    // geometry here.
    void Stroke(const Path& path, const Pen& pen, const PenDef& def);
    void Paint(const Path& path, const std::optional<Pen>& pen, const std::optional<Brush>& brush);
    void DrawShape(std::uint16_t type, std::uint16_t flags, Cursor& c);
    void DrawImage(std::uint16_t type, std::uint16_t flags, Cursor& c);
    void FillRegion(std::uint16_t flags, Cursor& c);

    // emfplus_gradients.cpp
    // The path gradient the brush field names, if it names one.
    const PathGradientDef* PathGradientFor(std::uint16_t flags, std::uint32_t value) const;
    void FillPathGradient(const Path& shape, const PathGradientDef& gradient);

    // emfplus_images.cpp: a metafile image played onto the parallelogram `corners` (world
    // coordinates of the source rectangle's top-left, top-right and bottom-left corners).
    void DrawMetafile(const ImageDef& def, const RectF& source, const std::array<PointF, 3>& corners);

    // emfplus_text.cpp
    void DrawString(std::uint16_t flags, Cursor& c);
    void DrawDriverString(std::uint16_t flags, Cursor& c);
    // The font in output units; `glyphTransform` applies before the world transform.
    std::optional<Font> FontAt(std::uint8_t id, const Matrix& glyphTransform);

    Device& m_device;
    Matrix m_pixelsToOutput;
    RectF m_area;
    bool m_check;
    double m_dpiX = 96, m_dpiY = 96;
    State m_state;
    std::vector<State> m_saved;
    ObjectSlots m_objects;
    PointF m_renderingOrigin;
    bool m_antialias = false;
    bool m_inGetDc = false;
    bool m_clipDirty = false, m_aaDirty = true;
    bool m_failed = false;
    std::size_t m_drawCalls = 0, m_damaged = 0;
    NestedWork m_ownWork;
    NestedWork& m_work;  // the nesting's when nested
    std::uint64_t m_ownPixels;
    std::uint64_t& m_pixelBudget;  // the nesting's when nested
};

}  // namespace qrp::emf::plus
