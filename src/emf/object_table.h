// The GDI objects a picture creates (pens, brushes, fonts, palettes), by the index the
// creating record gives them, and the stock objects that indexes with the high bit name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "device.h"

namespace qrp::emf {

// Sizes are in logical units, as recorded; the player maps them when it draws.
struct PenObject {
    std::uint32_t style = 0;  // PS_* style, end cap, join and type bits
    double width = 0;
    Color color;
    bool null = false;               // PS_NULL or a BS_NULL brush
    std::vector<double> userDashes;  // PS_USERSTYLE
};

struct BrushObject {
    BrushStyle style = BrushStyle::Solid;
    Color color;
    std::uint32_t hatch = 0;
    std::shared_ptr<const Image> pattern;
    // A monochrome pattern draws its black pixels in the text colour and its white ones
    // in the background colour current when it is used.
    bool monochrome = false;
};

struct FontObject {
    std::int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
    bool italic = false, underline = false, strikeOut = false;
    std::uint8_t charset = 0;
    std::u16string faceName;
};

struct PaletteObject {
    std::vector<Color> entries;
};

using GdiObject = std::variant<PenObject, BrushObject, FontObject, PaletteObject>;
using ObjectRef = std::shared_ptr<const GdiObject>;

// Index limit: a damaged header or record must not make the table allocate without bound.
inline constexpr std::uint32_t kMaxObjects = 65536;

class ObjectTable {
  public:
    // Stores `object` at `index`, replacing what was there. Index 0 is reserved for the
    // picture itself and indexes past kMaxObjects are ignored.
    void Put(std::uint32_t index, GdiObject object);
    // The object at `index` or the stock object it names; nothing when there is none.
    ObjectRef Get(std::uint32_t index) const;
    void Erase(std::uint32_t index);

    static ObjectRef Stock(std::uint32_t which);

  private:
    std::vector<ObjectRef> m_objects;
};

}  // namespace qrp::emf
