// The drawing surface of a QtPrinter job: page pictures played by the EMF renderer.
#pragma once

#include "report/printer.h"

class QPainter;

namespace qrp::print {

class QtPrinterCanvas : public PrinterCanvas {
  public:
    explicit QtPrinterCanvas(QPainter& painter) : m_painter(painter) {}
    // rect's right and bottom are the last pixels covered, so it is one pixel wider and
    // taller than right - left and bottom - top. The painter's state is left as found.
    void StretchDraw(const PagePicture& picture, const PixelRect& rect) override;

  private:
    QPainter& m_painter;
};

}  // namespace qrp::print
