// A PNG writer for the pages qrptool renders: 8-bit RGB, each row filtered against the one
// above (a page's rows repeat a lot), deflated at zlib's fastest level in bands of rows
// side by side, one per core.
//
// Qt's writer (QImage::save) serves every format through plugins: saving one PNG loads all
// of the image plugins installed, and libpng tries five filters on every row. Both together
// take longer than drawing most pages, and a command that draws one page feels it.
#pragma once

#include <string>

#include <QImage>

namespace qrp::tool {

// Writes `image` (any format; alpha is dropped) into a temporary file that takes the place
// of `fileName` only when complete (report/file_replacement.h), so a failed write leaves
// the old file as it was. Throws FileError.
void ReplaceWithPng(const QImage& image, const std::string& fileName);

}  // namespace qrp::tool
