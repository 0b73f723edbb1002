// How the page image draws its sheet: a white sheet under the page picture stretched to the
// whole image, a black one-pixel outline and a two-pixel shadow on the right and at the bottom.
#pragma once

#include <QSize>

class QPainter;

namespace qrp {
class PagePicture;
}

namespace qrp::preview {

// Draws the sheet of `size` (the image's W x H) at the painter's origin.
void PaintSheet(QPainter& painter, const PagePicture& picture, QSize size);

}  // namespace qrp::preview
