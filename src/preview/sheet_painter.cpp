#include "sheet_painter.h"

#include <exception>

#include <QPainter>

#include "render/page_renderer.h"
#include "report/page_picture.h"

namespace qrp::preview {

void PaintSheet(QPainter& painter, const PagePicture& picture, QSize size) {
    const int w = size.width();
    const int h = size.height();
    // Whole-pixel rectangles stay crisp under antialiasing; only the page itself is smoothed.
    painter.fillRect(QRect(1, 1, w - 4, h - 4), Qt::white);
    painter.save();
    // Painting must not throw; a page that cannot be played leaves the sheet blank.
    try {
        render::DrawPage(painter, picture.View(), QRectF(0, 0, w, h));
    } catch (const std::exception&) {
    }
    painter.restore();
    // The outline runs through the pixels (0, 0)..(W-3, H-3) and the shadow fills the two
    // columns and rows beyond it, offset by two.
    painter.fillRect(QRect(0, 0, 1, h - 2), Qt::black);
    painter.fillRect(QRect(0, h - 3, w - 2, 1), Qt::black);
    painter.fillRect(QRect(w - 3, 0, 1, h - 2), Qt::black);
    painter.fillRect(QRect(0, 0, w - 2, 1), Qt::black);
    painter.fillRect(QRect(w - 2, 2, 2, h - 2), Qt::black);
    painter.fillRect(QRect(2, h - 2, w - 2, 2), Qt::black);
}

}  // namespace qrp::preview
