#include "viewer_command_line.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include "qrp_version.h"

namespace qrp::app {

namespace {

struct ViewerOptions {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption page{QStringLiteral("page"), QStringLiteral("Shows page N first."), QStringLiteral("N")};
    QCommandLineOption find{QStringLiteral("find"), QStringLiteral("Opens the find bar and finds TEXT."),
                            QStringLiteral("TEXT")};

    ViewerOptions() {
        parser.setApplicationDescription(QStringLiteral("Views and prints saved report files (.qrp)."));
        // Qt's own options are single-dash words (-reverse, -stylesheet): read as bundles of
        // letters they would hold a -v or an -h.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The report file to open."),
                                     QStringLiteral("[FILE]"));
        parser.addOption(page);
        parser.addOption(find);
    }
};

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

}  // namespace

std::optional<int> AnswerWithoutWindow(int argc, char** argv) {
    ViewerOptions options;
    // Qt's own options (-platform, -style, ...) are unknown to this parse; only the two
    // answers are looked for, the rest waits for the application.
    options.parser.parse(Arguments(argc, argv));
    if (options.parser.isSet(options.version)) {
        std::puts("qrpview " QRP_VERSION);
        return 0;
    }
    if (!options.parser.isSet(options.help))
        return std::nullopt;
    // The usage line names the program from the application's arguments.
    int coreArgc = argc;
    std::optional<QCoreApplication> core;
    if (!QCoreApplication::instance())
        core.emplace(coreArgc, argv);
    std::fputs(qUtf8Printable(options.parser.helpText()), stdout);
    return 0;
}

ViewerRequests ReadViewerRequests(int argc, char** argv) {
    ViewerOptions options;
    // Ends the program with Qt's message for an unknown option; answers --help-all, which
    // lists Qt's options and so needs the application.
    options.parser.process(Arguments(argc, argv));
    ViewerRequests requests;
    if (options.parser.isSet(options.page)) {
        bool number = false;
        const qlonglong page = options.parser.value(options.page).toLongLong(&number);
        if (!number) {
            std::fprintf(stderr, "qrpview: --page takes a page number, not \"%s\"\n",
                         qUtf8Printable(options.parser.value(options.page)));
            std::exit(1);
        }
        // Beyond the report's pages it is clamped as the page spin edit clamps.
        requests.Page = static_cast<std::int32_t>(std::clamp<qlonglong>(page, 1, INT32_MAX));
    }
    requests.Find = options.parser.value(options.find);
    if (options.parser.positionalArguments().isEmpty())
        return requests;
    // The parser's first positional argument, taken from argv itself: a file name need not
    // be valid in the locale's encoding, and a trip through QString could change it.
    bool afterDashes = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (afterDashes || arg.size() < 2 || arg[0] != '-') {
            requests.File = arg;
            break;
        }
        afterDashes = arg == "--";
        if (afterDashes)
            continue;
        // An option written apart from its value ("--page 3", "-find x") skips the value.
        const std::string_view name = arg.substr(arg.find_first_not_of('-'));
        if (name == "page" || name == "find")
            ++i;
    }
    return requests;
}

}  // namespace qrp::app
