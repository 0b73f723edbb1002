// qrptool: report files from the command line, without a window.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "command.h"
#include "qrp_version.h"
#ifdef QRP_WITH_PRINT
#include "print_module.h"
#endif

namespace {

using qrp::tool::Command;

// The help on converting many reports, which pdf, export and text share.
#define QRP_OUTPUT_DIR_HELP(outputs)                                                              \
    "With --output-dir DIR it converts many reports at once: each one named, and with -r every\n" \
    "report (known by its first bytes) under each folder, goes to DIR/" outputs                   \
    ", keeping\n"                                                                                 \
    "the folders below the one named. -j N converts N at a time (default: the processors);\n"     \
    "--update skips outputs newer than their report; --shard K/N takes only the reports\n"        \
    "whose path below the folder hashes to K (from 0) of N, for N machines. A report that\n"      \
    "fails is listed at the end (exit status 1). On a terminal a status line shows the\n"         \
    "progress; --progress shows it elsewhere too, --quiet never.\n"

const Command kCommands[] = {
    {"info", "page count, header and page sizes of a report",
     "usage: qrptool info FILE [--json]\n"
     "Prints the page count, header layout (124 or 128 bytes), compression flag, stamp time\n"
     "and, per page, the EMF size in bytes and the page size in pixels.\n",
     qrp::tool::RunInfo},
    {"page", "write one page's EMF bytes",
     "usage: qrptool page FILE N -o OUT.emf\n"
     "Writes page N (from 1) as a plain EMF file, expanded when the report is packed.\n",
     qrp::tool::RunPage},
    {"make", "build a report from EMF files",
     "usage: qrptool make OUT.qrp PAGE.emf... [--compress]\n"
     "Builds a report with one page per EMF file, packed with --compress.\n",
     qrp::tool::RunMake},
    {"check", "load every page and report the first problem",
     "usage: qrptool check FILE\n"
     "Exits 0 only when every page of FILE is a valid picture.\n",
     qrp::tool::RunCheck},
    {"export", "write a report's text as a text, CSV, HTML or Excel workbook file",
     "usage: qrptool export FILE --format text|csv|html|xlsx -o OUT [--separator C] [--encoding NAME]\n"
     "                      [--sheet-per-page]\n"
     "Writes the text of every page through the export format, as the viewer's Save does.\n"
     "--separator sets the CSV field separator (one character, or \\t; default ,).\n"
     "--encoding names the output character set as iconv knows it (BIG5, CP950, ...);\n"
     "the default is the locale's, UTF-8 in the C locale. A workbook is always Unicode.\n"
     "--sheet-per-page puts each page of a workbook on a sheet of its own.\n"
     "       qrptool export REPORT.qrp... --format text|csv|html|xlsx --output-dir DIR [-r] [-j N]\n"
     "                      [--update] [--shard K/N] [--progress | --quiet]\n" QRP_OUTPUT_DIR_HELP(
         "NAME.txt, .csv, .html or .xlsx"),
     qrp::tool::RunExport},
    {"text", "write a report's text in reading order",
     "usage: qrptool text FILE [--page N] [-o OUT]\n"
     "Writes the text of every page, or of page N, in reading order as UTF-8: lines from\n"
     "top to bottom, the runs of a line from left to right, a tab between runs that stand\n"
     "far apart (table columns). Each page ends with a form feed. Without -o the text goes\n"
     "to the standard output.\n"
     "       qrptool text REPORT.qrp... --output-dir DIR [-r] [-j N] [--update] [--shard K/N]\n"
     "                    [--progress | --quiet]\n" QRP_OUTPUT_DIR_HELP("NAME.txt"),
     qrp::tool::RunText},
    {"find", "print the lines of reports that hold a text",
     "usage: qrptool find FILE TEXT [--ignore-case]\n"
     "       qrptool find [-r] [-i] [-l | -c] [-j N] PATH... TEXT\n"
     "Prints 'PAGE: LINE' for each line (in reading order, as qrptool text writes it) that\n"
     "holds TEXT; a match may run over several runs of a line. Letter case matters unless\n"
     "--ignore-case (or -i) is given. Exits 0 when TEXT was found, 1 when it was not and 2\n"
     "on a usage error or a report that cannot be read.\n"
     "Over several reports, or folders with -r (reports known by their first bytes), lines\n"
     "are 'PATH:PAGE: LINE', in the order of the walk (names sorted) however many reports\n"
     "are searched at a time (-j N, default: the processors). -l lists the reports that\n"
     "match, -c prints 'PATH:COUNT'. A report that cannot be read is reported on stderr and\n"
     "the others are still searched; the exit status is then 2.\n",
     qrp::tool::RunFind, 2},
#ifdef QRP_WITH_RENDER
    {"render", "draw one page to a PNG, SVG or PDF file",
     "usage: qrptool render FILE [--page N] [--width PX | --dpi D] [--gdi] -o OUT.png|OUT.svg|OUT.pdf\n"
     "                       [--format png|svg|pdf]\n"
     "Draws page N (default 1) of a report, or a single EMF file, stretched from its frame.\n"
     "PNG (on white) and SVG are --width pixels wide (height from the page's aspect) or the\n"
     "page's size at --dpi (default 96); a PDF page has the page's physical size. --format\n"
     "names the format for an output without its ending, such as - (the standard output).\n"
     "--gdi draws a picture that carries EMF+ records from its GDI records instead.\n",
     qrp::tool::RunRender},
    {"thumbnail", "draw page 1 as a PNG thumbnail for file managers",
     "usage: qrptool thumbnail FILE OUT.png SIZE\n"
     "Draws page 1 of a report into OUT.png, SIZE pixels (1 to 4096) on its longer side, as\n"
     "a freedesktop thumbnailer does (qrptool thumbnail %i %o %s). A report that cannot be\n"
     "read ends with exit status 1 and no OUT.png.\n",
     qrp::tool::RunThumbnail},
#endif
#ifdef QRP_WITH_PRINT
    {"print", "print a report on a printer or into a PDF file",
     "usage: qrptool print FILE [--printer NAME | --pdf OUT.pdf] [--copies N [--collate]] [--from A] [--to B]\n"
     "                      [--pages LIST] [--odd | --even] [--reverse] [--sides one|long|short]\n"
     "                      [--n-up 1|2|4|6|9|16] [--scale stretch|fit|actual] [--option NAME=VALUE]...\n"
     "                      [--landscape | --portrait]\n"
     "Prints pages A to B (default: all) as one job on the system's default printer, on\n"
     "printer NAME, or into OUT.pdf. Paper and orientation follow the report's first page\n"
     "unless --landscape or --portrait is given; a PDF holds one copy. Prints the job id\n"
     "or the PDF's path.\n"
     "--pages prints the listed report pages (such as 1-3,7) in list order instead of A to B;\n"
     "--odd, --even and --reverse apply to report pages. --scale stretch fills the printable\n"
     "area, fit keeps the page's proportions, actual keeps its size; both centre it. --sides,\n"
     "--n-up (pages per sheet), --collate and each --option (a CUPS job option, as lp -o\n"
     "takes it) go to the printer's spooler.\n",
     [](const qrp::tool::Args& args) { return qrp::tool::RunPrintCommand("print", args); }},
    {"pdf", "write a report's pages into a PDF file",
     "usage: qrptool pdf FILE -o OUT.pdf [--from A] [--to B] [--pages LIST] [--odd | --even] [--reverse]\n"
     "                    [--scale stretch|fit|actual] [--landscape | --portrait] [--pdfa]\n"
     "Prints pages A to B (default: all) into OUT.pdf through the same path as print, with\n"
     "its page options. Pages past the report's last are blank, up to page 999. The PDF's\n"
     "title is the report's file name and its creation date the report's own; --pdfa writes\n"
     "PDF/A-1b, for archives.\n"
     "       qrptool pdf REPORT.qrp... --output-dir DIR [-r] [-j N] [--update] [--shard K/N]\n"
     "                   [--progress | --quiet] [page options]\n" QRP_OUTPUT_DIR_HELP("NAME.pdf"),
     [](const qrp::tool::Args& args) { return qrp::tool::RunPrintCommand("pdf", args); }},
    {"printers", "list the installed printers",
     "usage: qrptool printers\n"
     "Lists the printers (* marks the default) with driver, resolution, duplex and the\n"
     "paper sizes each offers, and the sides, trays and resolutions its driver offers\n"
     "(* marks the queue's default).\n",
     [](const qrp::tool::Args& args) { return qrp::tool::RunPrintCommand("printers", args); }},
#endif
};

// Ends the process once a command has written and closed its output. Tearing down Qt's
// global state (font caches, plugins, libraries) at exit takes longer than many pages take
// to draw, and a one-shot tool gains nothing from it. Sanitizer builds exit normally so that
// the leak check runs.
[[noreturn]] void Finish(int status) {
    std::fflush(nullptr);
#ifdef __SANITIZE_ADDRESS__
    std::exit(status);
#else
    std::_Exit(status);
#endif
}

void PrintHelp(std::FILE* out) {
    std::fputs("usage: qrptool COMMAND [ARGS...]\n       qrptool --help | --version\n\ncommands:\n", out);
    for (const Command& command : kCommands)
        std::fprintf(out, "  %-9s %s\n", command.name, command.summary);
    std::fputs(
        "\n'qrptool COMMAND --help' (or -h) describes a command. -o and --output are the same\n"
        "option; a long option's value may also follow it after '='. An output named - is the\n"
        "standard output.\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintHelp(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp(stdout);
        return 0;
    }
    if (name == "--version") {
        std::puts("qrptool " QRP_VERSION);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (name != command.name)
            continue;
        qrp::tool::Args args(argv + 2, argv + argc);
        for (const std::string& arg : args) {
            if (arg == "--help" || arg == "-h") {
                std::fputs(command.usage, stdout);
                return 0;
            }
        }
        try {
            Finish(command.run(args));
        } catch (const qrp::tool::UsageError& error) {
            std::fprintf(stderr, "qrptool %s: %s\n%s", command.name, error.message.c_str(), command.usage);
            return 2;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "qrptool: %s\n", error.what());
            return command.errorStatus;
        }
    }
    std::fprintf(stderr, "qrptool: unknown command '%s'\n", name.c_str());
    PrintHelp(stderr);
    return 2;
}
