// qrptool render: one page drawn to a PNG, SVG or PDF file, without a display.
#include <limits>
#include <memory>
#include <vector>

#include <QGuiApplication>
#include <QString>

#include "base/errors.h"
#include "base/messages.h"
#include "command.h"
#include "gui_app.h"
#include "options.h"
#include "png_writer.h"
#include "render/page_renderer.h"
#include "report/file_identity.h"
#include "report/file_stream.h"
#include "report/page_list.h"
#include "report/page_picture.h"

namespace qrp::tool {

namespace {

enum class Format { Png, Svg, Pdf };

Format FormatOf(const std::string& output) {
    const QString name = QString::fromStdString(output).toLower();
    if (name.endsWith(".png"))
        return Format::Png;
    if (name.endsWith(".svg"))
        return Format::Svg;
    if (name.endsWith(".pdf"))
        return Format::Pdf;
    throw UsageError{"the output must end in .png, .svg or .pdf"};
}

bool IsEmf(const std::vector<std::uint8_t>& head) {
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(head[at]) | static_cast<std::uint32_t>(head[at + 1]) << 8 |
               static_cast<std::uint32_t>(head[at + 2]) << 16 | static_cast<std::uint32_t>(head[at + 3]) << 24;
    };
    return head.size() >= 44 && u32(0) == PagePicture::kEmrHeader && u32(40) == PagePicture::kEmfSignature;
}

// The page's EMF bytes: FILE itself when it is an EMF, else page n of the report.
std::vector<std::uint8_t> LoadPage(const std::string& path, std::int32_t n, bool pageGiven) {
    auto file = FileStream::OpenRead(path);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->Size()));
    if (!bytes.empty())
        file->ReadBuffer(bytes.data(), bytes.size());
    if (IsEmf(bytes)) {
        if (pageGiven && n != 1)
            throw EQRError(messages::pageOutOfRange(n));
        return bytes;
    }
    file.reset();
    TQRPageList list;
    list.OpenReport(path);
    const auto picture = list.FetchPage(n);
    if (!picture)
        throw EQRError(messages::pageOutOfRange(n));
    return picture->Bytes();
}

}  // namespace

int RunRender(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {"-o", "--output", "--page", "--width", "--dpi"}, {"--gdi"});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report or EMF file"};
    const std::string output = parsed.Output("OUT.png|OUT.svg|OUT.pdf");
    const Format format = FormatOf(output);
    const std::string page = parsed.Value("--page");
    const auto n = page.empty() ? 1
                                : static_cast<std::int32_t>(ParseNumber(page, "the page number", 1,
                                                                        std::numeric_limits<std::int32_t>::max()));
    const std::string width = parsed.Value("--width"), dpi = parsed.Value("--dpi");
    if (!width.empty() && !dpi.empty())
        throw UsageError{"give --width or --dpi, not both"};
    render::RasterSize size;
    if (!width.empty())
        size.width = static_cast<int>(ParseNumber(width, "the width", 1, 32767));
    if (!dpi.empty())
        size.dpi = static_cast<double>(ParseNumber(dpi, "the resolution", 1, 4800));

    const emf::PlayOptions play{.gdiOnly = parsed.Has("--gdi")};

    RefuseOutputOnto(output, IdentityOfPath(parsed.positional[0]));
    const std::vector<std::uint8_t> emf = LoadPage(parsed.positional[0], n, !page.empty());
    StartGui();
    const QString fileName = QString::fromStdString(output);
    bool written = false;
    switch (format) {
        case Format::Png:
            ReplaceWithPng(render::RenderToImage(emf, size, play), output);
            written = true;
            break;
        case Format::Svg:
            written = render::RenderToSvg(emf, size, fileName, play);
            break;
        case Format::Pdf:
            written = render::RenderToPdf(emf, fileName, play);
            break;
    }
    if (!written)
        throw FileError(messages::cannotCreateFile(output, "the file could not be written"));
    return 0;
}

}  // namespace qrp::tool
