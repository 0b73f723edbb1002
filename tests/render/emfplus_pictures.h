// What the EMF+ playback tests share: a picture of EMF+ records begun with their header,
// and the builder's 100 x 100 reference-pixel picture rendered 100 pixels wide, 1:1.
#pragma once

#include <QImage>

#include "render/page_renderer.h"
#include "support/emf_builder.h"

namespace qrp::test {

inline QImage Render(EmfBuilder& b, bool gdiOnly = false) {
    return render::RenderToImage(b.Finish(), render::RasterSize{100, 96}, emf::PlayOptions{.gdiOnly = gdiOnly});
}

inline EmfPlusRecords Start() {
    EmfPlusRecords r;
    r.Header();
    return r;
}

}  // namespace qrp::test
