#include "xlsx_filter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <xlsxwriter.h>

#include "base/errors.h"
#include "base/messages.h"
#include "display_columns.h"
#include "output_file.h"
#include "report/file_identity.h"
#include "report/file_stream.h"
#include "sheet_cell.h"
#include "unicode_text.h"

namespace qrp::exporter {

namespace {

constexpr std::size_t kMaxSheetName = 31;
constexpr double kMaxColumnWidth = 255;

// The same text as valid UTF-8 (a malformed sequence becomes U+FFFD) and its width in
// display columns, plus one of room: a number wider than its column shows as ####.
std::string ValidText(std::string_view text, double& width) {
    const bool ascii = std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        width = static_cast<double>(text.size()) + 1;
        return std::string(text);
    }
    std::string valid;
    width = 1;
    for (const char32_t c : DecodeUtf8(text)) {
        AppendUtf8(valid, c);
        width += DisplayWidth(c);
    }
    return valid;
}

// The UTF-16 length Excel counts a sheet name in.
std::size_t Utf16Length(const std::u32string& text) {
    std::size_t length = 0;
    for (const char32_t c : text)
        length += c > 0xFFFF ? 2 : 1;
    return length;
}

// The moment a local-time stamp stands for; 0 (the library's "now") when it is no date.
std::time_t StampMoment(double stamp) {
    if (!IsDayCountDate(stamp))
        return 0;
    const auto wallSeconds = static_cast<std::time_t>(std::llround((stamp - kUnixEpochDay) * 86400));
    std::tm wall{};
    gmtime_r(&wallSeconds, &wall);
    wall.tm_isdst = -1;
    return std::mktime(&wall);
}

// An unnamed file in folder that the library can still open by name.
int UnnamedTempFile(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    std::string name = folder + "/.qrp-xlsx-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name.c_str());
    return fd;
}

// Room beyond a sheet's rows for its head, its tail and the workbook's small parts.
constexpr std::uint64_t kAssemblyRoom = 1 << 20;

std::string DescriptorName(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

std::string SheetName(const std::string& base, std::int32_t part) {
    std::u32string name;
    for (const char32_t c : DecodeUtf8(base))
        name += std::u32string_view(U"[]:*?/\\").find(c) == std::u32string_view::npos ? c : U'_';
    const std::string suffix = part > 1 ? " (" + std::to_string(part) + ")" : std::string();
    while (!name.empty() && Utf16Length(name) + suffix.size() > kMaxSheetName)
        name.pop_back();
    while (!name.empty() && name.front() == U'\'')
        name.erase(0, 1);
    while (!name.empty() && name.back() == U'\'')
        name.pop_back();
    std::string text;
    for (const char32_t c : name)
        AppendUtf8(text, c);
    if (text.empty())
        text = "Report";
    std::string folded = text;
    std::ranges::transform(folded, folded.begin(), [](unsigned char c) { return std::tolower(c); });
    if (folded == "history")
        text += '_';
    return text + suffix;
}

TQRExcelWorkbookFilter::TQRExcelWorkbookFilter(std::string fileName) : TQRAbstractExportFilter(std::move(fileName)) {
    SetTextEncoding("UTF-8");
}

TQRExcelWorkbookFilter::~TQRExcelWorkbookFilter() {
    if (FWorkbook)
        lxw_workbook_free(FWorkbook);
    if (FStagingFd >= 0)
        ::close(FStagingFd);
}

std::string TQRExcelWorkbookFilter::DescribeFilter() {
    return "Excel workbook for spreadsheets";
}

std::string TQRExcelWorkbookFilter::DefaultExtension() {
    return "xlsx";
}

std::string TQRExcelWorkbookFilter::ShownName() {
    return "Excel workbook";
}

void TQRExcelWorkbookFilter::BeginPage() {
    ++FPagesBegun;
    TQRAbstractExportFilter::BeginPage();
}

void TQRExcelWorkbookFilter::OpenOutput(const std::string& FileName) {
    std::unique_ptr<FileStream> output = CreateOutputFile(FileName);
    // The library opens its output by name and seeks in it. The file replacement's
    // descriptor is reached by name through /proc, named temporary or not; a pipe or a
    // device cannot seek, so the workbook goes to a file of its own first.
    struct stat info {};
    if (::fstat(output->Descriptor(), &info) != 0)
        Fail(messages::systemReason(errno));
    FTempFolder = TempDirectory();
    std::string target = DescriptorName(output->Descriptor());
    if (!S_ISREG(info.st_mode)) {
        FStagingFd = UnnamedTempFile(FTempFolder);
        if (FStagingFd < 0)
            Fail(messages::systemReason(errno));
        target = DescriptorName(FStagingFd);
    }
    FStream = std::move(output);
    // Its own temporary files are unlinked as soon as they are made, so none outlives a
    // failure; they go where the user keeps temporary files.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = FTempFolder.data();
    options.use_zip64 = LXW_TRUE;
    FWorkbook = workbook_new_opt(target.c_str(), &options);
    if (!FWorkbook)
        Fail(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED));
    const std::filesystem::path title(Report().Title);
    FSheetBase = title.stem().string();
}

void TQRExcelWorkbookFilter::WritePage() {
    if (FSheetPerPage && FSheetPage != FPagesBegun) {
        FSheetPage = FPagesBegun;
        FSheetBase = "Page " + std::to_string(FSheetPage);
        FSheetPart = 0;
        StartSheet();
    }
    for (std::int32_t line = 1; line <= FLinesUsed; ++line) {
        if (!FSheet || FRow == LXW_ROW_MAX)
            StartSheet();
        for (std::int32_t col = 1; col <= FColCount; ++col) {
            const std::string_view text = GetCellText(col, line).Text;
            if (text.empty())
                continue;
            const auto column = static_cast<lxw_col_t>(col - 1);
            double width = 0;
            const std::string valid = ValidText(text, width);
            const SheetCell cell = ClassifyCell(valid);
            if (cell.kind == SheetCell::Text)
                Check(worksheet_write_string(FSheet, FRow, column, valid.c_str(), nullptr));
            else
                Check(worksheet_write_number(FSheet, FRow, column, cell.value, NumberFormat(cell.format)));
            if (FWidths.size() < static_cast<std::size_t>(col))
                FWidths.resize(static_cast<std::size_t>(col));
            FWidths[column] = std::max(FWidths[column], width);
        }
        ++FRow;
    }
    CheckRows(false);
}

void TQRExcelWorkbookFilter::StartSheet() {
    FinishSheet();
    const std::string name = SheetName(FSheetBase, ++FSheetPart);
    errno = 0;
    FSheet = workbook_add_worksheet(FWorkbook, name.c_str());
    if (!FSheet)
        Fail(errno ? messages::systemReason(errno) : "cannot add the worksheet \"" + name + "\"");
    // A report's table is wide: printed, it keeps its rows whole across the page.
    worksheet_set_landscape(FSheet);
    worksheet_fit_to_pages(FSheet, 1, 0);
    FRow = 0;
}

void TQRExcelWorkbookFilter::FinishSheet() {
    if (!FSheet)
        return;
    CheckRows(true);
    if (const long size = std::ftell(FSheet->optimize_tmpfile); size > 0)
        FLargestRows = std::max(FLargestRows, static_cast<std::uint64_t>(size));
    for (std::size_t col = 0; col < FWidths.size(); ++col) {
        if (FWidths[col] > 0) {
            const auto column = static_cast<lxw_col_t>(col);
            Check(worksheet_set_column(FSheet, column, column, std::min(FWidths[col], kMaxColumnWidth), nullptr));
        }
    }
    FWidths.clear();
}

void TQRExcelWorkbookFilter::CheckRows(bool flush) {
    // The library writes rows to its temporary file without looking at the result: a full
    // disk shows only here, and would otherwise end in a workbook with rows cut off.
    FILE* rows = FSheet ? FSheet->optimize_tmpfile : nullptr;
    errno = 0;
    if (rows && ((flush && std::fflush(rows) != 0) || std::ferror(rows)))
        Fail(messages::systemReason(errno ? errno : EIO));
}

void TQRExcelWorkbookFilter::EnsureRoomToAssemble() const {
    // Closing copies each sheet's rows into a new temporary file and that into the
    // workbook, and the library does not look at those writes: a sheet cut short there
    // would pass. So the room for the largest sheet is made sure of first.
    const std::uint64_t needed = FLargestRows + kAssemblyRoom;
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed)
        Fail(messages::systemReason(EFBIG));
    struct statvfs space {};
    if (::statvfs(FTempFolder.c_str(), &space) == 0 && std::uint64_t(space.f_bavail) * space.f_frsize < needed)
        Fail(messages::systemReason(ENOSPC));
}

lxw_format* TQRExcelWorkbookFilter::NumberFormat(const std::string& format) {
    auto [at, added] = FFormats.try_emplace(format, nullptr);
    if (added) {
        at->second = workbook_add_format(FWorkbook);
        if (!at->second)
            Fail(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED));
        format_set_num_format(at->second, format.c_str());
    }
    return at->second;
}

void TQRExcelWorkbookFilter::CloseOutput() {
    if (!FWorkbook)
        return;
    if (!FSheet)
        StartSheet();  // a workbook needs a sheet, also for a report without text
    FinishSheet();
    lxw_doc_properties properties{};
    std::string title = Report().Title;
    double ignored = 0;
    title = ValidText(title, ignored);
    properties.title = title.data();
    properties.created = StampMoment(Report().StampTime);
    Check(workbook_set_properties(FWorkbook, &properties));
    EnsureRoomToAssemble();
    errno = 0;
    // Closing frees the workbook whatever it returns.
    const lxw_error closed = workbook_close(std::exchange(FWorkbook, nullptr));
    FSheet = nullptr;
    FFormats.clear();
    if (closed != LXW_NO_ERROR)
        Fail(errno ? messages::systemReason(errno) : lxw_strerror(closed));
    auto* output = static_cast<FileStream*>(FStream.get());
    if (FStagingFd >= 0) {
        std::vector<char> block(1 << 16);
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(FStagingFd, block.data(), block.size(), at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                Fail(messages::systemReason(errno));
            if (n == 0)
                break;
            // Straight to the descriptor: a pipe has no position for the stream to check.
            for (ssize_t done = 0; done < n;) {
                const ssize_t written =
                    ::write(output->Descriptor(), block.data() + done, static_cast<std::size_t>(n - done));
                if (written < 0 && errno == EINTR)
                    continue;
                if (written <= 0)
                    Fail(messages::systemReason(written < 0 ? errno : ENOSPC));
                done += written;
            }
            at += n;
        }
    }
    output->Close();
    FStream.reset();
}

void TQRExcelWorkbookFilter::Fail(const std::string& reason) const {
    throw FileError(messages::cannotCreateFile(FullPath(FFileName), reason));
}

void TQRExcelWorkbookFilter::Check(int error) const {
    if (error != LXW_NO_ERROR)
        Fail(lxw_strerror(static_cast<lxw_error>(error)));
}

TQRXLSXFilter::TQRXLSXFilter() : TQRFilterRegistration(FilterClassOf<TQRExcelWorkbookFilter>) {}

}  // namespace qrp::exporter
