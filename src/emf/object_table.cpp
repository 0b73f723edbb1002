#include "object_table.h"

#include <array>

#include "emf_format.h"

namespace qrp::emf {

namespace {

ObjectRef MakeBrush(BrushStyle style, std::uint8_t grey) {
    BrushObject brush;
    brush.style = style;
    brush.color = {grey, grey, grey};
    return std::make_shared<const GdiObject>(brush);
}

ObjectRef MakePen(std::uint8_t grey, bool null) {
    PenObject pen;
    pen.color = {grey, grey, grey};
    pen.null = null;
    pen.style = null ? kPsNull : kPsSolid;
    return std::make_shared<const GdiObject>(pen);
}

ObjectRef MakeFont(const char16_t* face, std::int32_t height, std::int32_t weight) {
    FontObject font;
    font.faceName = face;
    font.height = height;
    font.weight = weight;
    return std::make_shared<const GdiObject>(font);
}

ObjectRef MakeDefaultPalette() {
    // The 20 static colours of the system palette.
    static constexpr std::array<Color, 20> kColors = {
        {{0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
         {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
         {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
         {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}}};
    return std::make_shared<const GdiObject>(PaletteObject{{kColors.begin(), kColors.end()}});
}

}  // namespace

ObjectRef ObjectTable::Stock(std::uint32_t which) {
    static const std::array<ObjectRef, 20> kStock = {
        MakeBrush(BrushStyle::Solid, 255),  // WHITE_BRUSH
        MakeBrush(BrushStyle::Solid, 192),  // LTGRAY_BRUSH
        MakeBrush(BrushStyle::Solid, 128),  // GRAY_BRUSH
        MakeBrush(BrushStyle::Solid, 64),   // DKGRAY_BRUSH
        MakeBrush(BrushStyle::Solid, 0),    // BLACK_BRUSH
        MakeBrush(BrushStyle::Null, 0),     // NULL_BRUSH
        MakePen(255, false),                // WHITE_PEN
        MakePen(0, false),                  // BLACK_PEN
        MakePen(0, true),                   // NULL_PEN
        nullptr,                            // 9 is unused
        MakeFont(u"Courier", 16, 400),      // OEM_FIXED_FONT
        MakeFont(u"Courier", 16, 400),      // ANSI_FIXED_FONT
        MakeFont(u"Sans Serif", 16, 400),   // ANSI_VAR_FONT
        MakeFont(u"System", 16, 700),       // SYSTEM_FONT
        MakeFont(u"System", 16, 700),       // DEVICE_DEFAULT_FONT
        MakeDefaultPalette(),               // DEFAULT_PALETTE
        MakeFont(u"Courier", 16, 400),      // SYSTEM_FIXED_FONT
        MakeFont(u"Sans Serif", -11, 400),  // DEFAULT_GUI_FONT
        MakeBrush(BrushStyle::Solid, 255),  // DC_BRUSH (white until SetDCBrushColor, never recorded)
        MakePen(0, false),                  // DC_PEN
    };
    return which < kStock.size() ? kStock[which] : nullptr;
}

void ObjectTable::Put(std::uint32_t index, GdiObject object) {
    if (index == 0 || index >= kMaxObjects)
        return;
    if (index >= m_objects.size())
        m_objects.resize(index + 1);
    m_objects[index] = std::make_shared<const GdiObject>(std::move(object));
}

ObjectRef ObjectTable::Get(std::uint32_t index) const {
    if (index & kStockObjectFlag)
        return Stock(index & ~kStockObjectFlag);
    return index < m_objects.size() ? m_objects[index] : nullptr;
}

void ObjectTable::Erase(std::uint32_t index) {
    if (index < m_objects.size())
        m_objects[index].reset();
}

}  // namespace qrp::emf
