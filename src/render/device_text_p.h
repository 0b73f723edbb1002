// What the plain and the shaped text paths of the QPainter device share.
#pragma once

#include <QString>

#include "font_cache_p.h"

class QPainter;

namespace qrp::render {

// One cluster per drawn position: a surrogate pair or a base character with its combining
// marks stays together, at the origin of its first unit.
struct Cluster {
    qsizetype start = 0, length = 0;
    double x = 0;  // where its advance starts, along the baseline of the run's frame
    double y = 0;  // how far below the baseline (ETO_PDY moves glyphs up and down)
};

// True when the glyphs of this font are better filled as outlines than cached as images.
bool DrawAsOutlines(const QPainter& painter, const FontEntry& entry);

}  // namespace qrp::render
