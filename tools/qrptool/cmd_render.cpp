// qrptool render: one page drawn to a PNG, SVG or PDF file, without a display.
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include <QGuiApplication>
#include <QString>

#include "base/errors.h"
#include "base/messages.h"
#include "command.h"
#include "gui_app.h"
#include "options.h"
#include "png_writer.h"
#include "render/missing_glyphs.h"
#include "render/page_renderer.h"
#include "render/pdf_metadata.h"
#include "report/file_identity.h"
#include "report/file_stream.h"
#include "report/page_list.h"
#include "report/page_picture.h"

namespace qrp::tool {

namespace {

enum class Format { Png, Svg, Pdf };

// The format --format names, else the output's ending.
Format FormatOf(const std::string& output, const std::string& format) {
    if (!format.empty()) {
        if (format == "png")
            return Format::Png;
        if (format == "svg")
            return Format::Svg;
        if (format == "pdf")
            return Format::Pdf;
        throw UsageError{"--format must be png, svg or pdf, not '" + format + "'"};
    }
    const QString name = QString::fromStdString(output).toLower();
    if (name.endsWith(".png"))
        return Format::Png;
    if (name.endsWith(".svg"))
        return Format::Svg;
    if (name.endsWith(".pdf"))
        return Format::Pdf;
    throw UsageError{"the output must end in .png, .svg or .pdf, or --format must name its format"};
}

bool IsEmf(const std::vector<std::uint8_t>& head) {
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(head[at]) | static_cast<std::uint32_t>(head[at + 1]) << 8 |
               static_cast<std::uint32_t>(head[at + 2]) << 16 | static_cast<std::uint32_t>(head[at + 3]) << 24;
    };
    return head.size() >= 44 && u32(0) == PagePicture::kEmrHeader && u32(40) == PagePicture::kEmfSignature;
}

// The page's EMF bytes: FILE itself when it is an EMF, else page n of the report, whose
// stamp goes to `stamp`.
std::vector<std::uint8_t> LoadPage(const std::string& path, std::int32_t n, bool pageGiven,
                                   std::optional<double>& stamp) {
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
    stamp = list.Header().StampTime;
    const auto picture = list.FetchPage(n);
    if (!picture)
        throw EQRError(messages::pageOutOfRange(n));
    return picture->Bytes();
}

}  // namespace

int RunRender(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {"-o", "--output", "--page", "--width", "--dpi", "--format"}, {"--gdi"});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report or EMF file"};
    const std::string output = parsed.Output("OUT.png|OUT.svg|OUT.pdf");
    const Format format = FormatOf(output, parsed.Value("--format"));
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
    std::optional<double> stamp;
    const std::vector<std::uint8_t> emf = LoadPage(parsed.positional[0], n, !page.empty(), stamp);
    StartGui();
    switch (format) {
        case Format::Png:
            ReplaceWithPng(render::RenderToImage(emf, size, play), output);
            break;
        case Format::Svg:
            render::RenderToSvg(emf, size, output, play);
            break;
        case Format::Pdf:
            render::RenderToPdf(emf, output, render::ReportPdfMetadata(parsed.positional[0], stamp), play);
            break;
    }
    // Boxes on the page are no fault of the report: say once which characters want a font.
    if (const std::vector<char32_t> missing = render::TakeMissingCharacters(); !missing.empty()) {
        std::string list;
        for (const char32_t c : missing)
            list += " U+" + QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, '0').toStdString();
        std::fprintf(stderr, "qrptool: no installed font has these characters, drawn as boxes:%s\n", list.c_str());
    }
    return 0;
}

}  // namespace qrp::tool
