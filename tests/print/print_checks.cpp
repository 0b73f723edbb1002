#include "print_checks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <pwd.h>
#include <regex>
#include <sstream>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "report/document.h"
#include "report/host_hooks.h"
#include "report/page_list.h"
#include "report/page_picture.h"
#include "report/qrp_format.h"
#include "support/emf_builder.h"
#include "support/test_paths.h"

namespace qrp::test {

namespace {

constexpr std::uint32_t kSelectObject = 37;

std::string FieldAfter(const std::string& text, const std::string& label) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(label, 0) == 0) {
            const auto start = line.find_first_not_of(' ', label.size());
            return start == std::string::npos ? std::string() : line.substr(start);
        }
    }
    return {};
}

std::string JobNumber(const std::string& job) {
    return job.substr(job.rfind('-') + 1);
}

}  // namespace

CancelWhilePrinting::CancelWhilePrinting(TQRPrinter& document) {
    SetProcessMessagesHook([&document] { document.Cancel(); });
}

CancelWhilePrinting::~CancelWhilePrinting() {
    SetProcessMessagesHook(nullptr);
}

CommandResult Run(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

void WriteTextReport(const std::filesystem::path& path, int pages) {
    TQRPageList list;
    list.AttachStream(std::make_unique<TQRStream>(100000));
    for (int n = 1; n <= pages; ++n) {
        // A4 in 0.01 mm on a 96 dpi reference device: 794 x 1123 pixels.
        EmfBuilder emf(21000, 29700, 960, 254);
        const std::string text = "Page " + std::to_string(n);
        emf.Font(1, -40, u"DejaVu Sans")
            .Add(kSelectObject, {1})
            .TextW(96, 96, std::u16string(text.begin(), text.end()), {});
        list.AppendPage(*PagePicture::FromBytes(emf.Finish()));
    }
    list.Finish();
    list.SaveCopy(path.string());
}

PdfFacts ReadPdf(const std::filesystem::path& pdf) {
    const CommandResult info = Run("pdfinfo " + Quoted(pdf.string()));
    PdfFacts facts;
    if (info.status != 0)
        return facts;
    facts.pages = std::stoi(FieldAfter(info.out, "Pages:"));
    facts.pageSize = FieldAfter(info.out, "Page size:");
    return facts;
}

std::string PdfText(const std::filesystem::path& pdf) {
    return Run("pdftotext " + Quoted(pdf.string()) + " -").out;
}

int VerticalWords(const std::filesystem::path& pdf) {
    const std::string boxes = Run("pdftotext -bbox " + Quoted(pdf.string()) + " -").out;
    // Words of three letters or more: a lone digit is taller than wide either way.
    static const std::regex word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">[^<]{3,}</word>)re");
    int vertical = 0;
    for (auto it = std::sregex_iterator(boxes.begin(), boxes.end(), word); it != std::sregex_iterator(); ++it) {
        const double width = std::stod((*it)[3]) - std::stod((*it)[1]);
        const double height = std::stod((*it)[4]) - std::stod((*it)[2]);
        vertical += height > width ? 1 : 0;
    }
    return vertical;
}

void WriteReportStamp(const std::filesystem::path& report, double stamp) {
    std::vector<std::uint8_t> bytes = ReadFileBytes(report);
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(kHeaderSize));
    std::memcpy(&bytes[header128::kStampTime], &stamp, sizeof stamp);
    WriteFileBytes(report, bytes);
}

std::string PdfInfo(const std::filesystem::path& pdf) {
    return Run("pdfinfo -isodates " + Quoted(pdf.string()) + " 2>&1").out;
}

CommandResult Qrptool(const std::vector<std::string>& args) {
    std::string command = Quoted((BinaryDir() / "tools" / "qrptool" / "qrptool").string());
    for (const std::string& arg : args)
        command += " " + Quoted(arg);
    return Run(command);
}

bool CupsPdfQueueReady() {
    return Run("lpstat -r").out.find("scheduler is running") != std::string::npos && Run("lpstat -p PDF").status == 0 &&
           Run("command -v lp").status == 0;
}

std::filesystem::path CupsPdfFolder() {
    const passwd* user = getpwuid(getuid());
    return std::filesystem::path("/var/spool/cups-pdf") / (user ? user->pw_name : "ANONYMOUS");
}

std::optional<std::filesystem::path> WaitForCupsPdf(const std::string& job) {
    const std::string suffix = "job_" + JobNumber(job) + ".pdf";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Run("lpstat -W completed -o PDF").out.find(job + " ") != std::string::npos) {
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(CupsPdfFolder(), error)) {
                const std::string name = entry.path().filename().string();
                if (name.size() >= suffix.size() &&
                    name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                    return entry.path();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return std::nullopt;
}

namespace {

// The scheduler's host in an ipp: address: a scheduler on a local socket (CUPS_SERVER)
// is named by the socket's path, its slashes escaped.
std::string SchedulerHost() {
    const char* server = std::getenv("CUPS_SERVER");
    if (!server || server[0] != '/')
        return "localhost";
    std::string host;
    for (const char* c = server; *c; ++c)
        host += *c == '/' ? std::string("%2F") : std::string(1, *c);
    return host;
}

}  // namespace

std::optional<std::string> JobAttribute(const std::string& job, const std::string& name) {
    const CommandResult attributes = Run("ipptool -t -v ipp://" + SchedulerHost() + "/jobs/" + JobNumber(job) +
                                         " /usr/share/cups/ipptool/get-job-attributes.test");
    const std::regex line("\\n\\s+" + name + " \\([^)]*\\) = ([^\\n]*)");
    std::smatch match;
    if (!std::regex_search(attributes.out, match, line))
        return std::nullopt;
    return match[1].str();
}

void ExpectPrinterError(const std::function<void()>& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no PrinterError \"" << message << "\"";
    } catch (const PrinterError& error) {
        EXPECT_EQ(error.what(), message);
    }
}

}  // namespace qrp::test
