#include "qt_printer_canvas.h"

#include <QPainter>
#include <QRectF>

#include "render/page_renderer.h"
#include "report/page_picture.h"

namespace qrp::print {

namespace {

class SavedState {
  public:
    explicit SavedState(QPainter& painter) : m_painter(painter) { m_painter.save(); }
    ~SavedState() { m_painter.restore(); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

  private:
    QPainter& m_painter;
};

}  // namespace

void QtPrinterCanvas::StretchDraw(const PagePicture& picture, const PixelRect& rect) {
    const QRectF target(rect.left, rect.top, qreal(rect.right) - rect.left + 1, qreal(rect.bottom) - rect.top + 1);
    const SavedState saved(m_painter);
    render::DrawPage(m_painter, picture.View(), target);
}

}  // namespace qrp::print
