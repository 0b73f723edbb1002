// qrptool thumbnail: page 1 of a report as a small PNG, the freedesktop thumbnailer that
// file managers run for every report they list (data/desktop/qrpview.thumbnailer).
//
// A file manager waits for it, so it reads one page and nothing else, and it never touches
// a display: it may run in a sandbox without one. It either leaves a whole PNG at OUT or
// nothing at all: a file manager takes any file it finds there for the thumbnail.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/messages.h"
#include "command.h"
#include "gui_app.h"
#include "options.h"
#include "png_writer.h"
#include "render/page_renderer.h"
#include "report/file_identity.h"
#include "report/page_list.h"
#include "report/page_picture.h"

namespace qrp::tool {

namespace {

constexpr std::int64_t kMaxThumbnailSide = 4096;

std::vector<std::uint8_t> FirstPage(const std::string& path) {
    TQRPageList list;
    list.OpenReport(path);
    const auto picture = list.FetchPage(1);
    if (!picture)
        throw EQRError(messages::pageOutOfRange(1));
    return picture->Bytes();
}

}  // namespace

int RunThumbnail(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {}, {});
    if (parsed.positional.size() != 3)
        throw UsageError{"expected FILE OUT.png SIZE"};
    const std::string& input = parsed.positional[0];
    const std::string& output = parsed.positional[1];
    const auto side = ParseNumber(parsed.positional[2], "the size", 1, kMaxThumbnailSide);

    RefuseOutputOnto(output, IdentityOfPath(input));
    const std::vector<std::uint8_t> emf = FirstPage(input);
    // The longer side of the page becomes `side` pixels.
    const QSizeF mm = render::FrameSizeMm(emf);
    const render::RasterSize size{.dpi = static_cast<double>(side) * 25.4 / std::max(mm.width(), mm.height())};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    StartGui();
    // A whole PNG or none: a file manager takes any file it finds at OUT.
    ReplaceWithPng(render::RenderToImage(emf, size), output);
    return 0;
}

}  // namespace qrp::tool
