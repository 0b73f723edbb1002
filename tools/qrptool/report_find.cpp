#include "report_find.h"

#include <cstdio>
#include <vector>

#include "ordered_jobs.h"
#include "report/document.h"
#include "report/page_list.h"
#include "report_walk.h"

namespace qrp::tool {

std::uint64_t FindInReport(const std::string& path, const exporter::TextQuery& query, const std::string& prefix,
                           bool firstOnly, const std::function<void(const std::string&)>& line) {
    TQRPageList list;
    list.OpenReport(path);
    const exporter::PageSource pages{list.PageTotal(), [&list](std::int32_t n) { return list.FetchPage(n); },
                                     kFilePageScale};
    std::uint64_t lines = 0;
    exporter::SearchReport(
        pages, query,
        [&](std::int32_t page, const exporter::PageText& text, const std::vector<exporter::TextMatch>& matches) {
            // A line with several matches is printed once, as grep prints it.
            std::size_t printed = text.Lines.size();
            for (const exporter::TextMatch& match : matches) {
                if (match.Line == printed)
                    continue;
                printed = match.Line;
                ++lines;
                if (line)
                    line(prefix + std::to_string(page) + ": " + text.Lines[match.Line].Text + "\n");
                if (firstOnly)
                    return false;
            }
            return true;
        });
    return lines;
}

namespace {

struct Found {
    std::string out, err;
    bool matched = false;
    bool failed = false;
};

void Write(const std::string& text, std::FILE* stream) {
    if (!text.empty())
        std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

int FindInReports(const ParsedArgs& parsed, const exporter::TextQuery& query) {
    const bool recursive = parsed.Has("-r") || parsed.Has("--recursive");
    const bool list = parsed.Has("-l") || parsed.Has("--files-with-matches");
    const bool count = parsed.Has("-c") || parsed.Has("--count");
    if (list && count)
        throw UsageError{"give -l or -c, not both"};
    const unsigned jobs = JobsOption(parsed);
    const std::vector<std::string> paths(parsed.positional.begin(), parsed.positional.end() - 1);
    // One report named alone prints as the single-report form does, without its name.
    const bool named = recursive || paths.size() > 1;
    const std::vector<WalkedReport> reports = WalkReports(paths, recursive);

    std::vector<Found> slots(OrderedJobs::Window(jobs));
    bool matched = false, failed = false;
    OrderedJobs jobsRun;
    jobsRun.work = [&](std::size_t i) {
        const WalkedReport& report = reports[i];
        Found& found = slots[i % slots.size()];
        found = {};
        if (!report.error.empty()) {
            found.err = "qrptool: " + report.path + ": " + report.error + "\n";
            found.failed = true;
            return;
        }
        const std::string prefix = named ? report.path + ":" : std::string();
        try {
            const std::uint64_t lines = FindInReport(
                report.path, query, prefix, list,
                list || count ? std::function<void(const std::string&)>()
                              : [&found](const std::string& line) { found.out += line; });
            found.matched = lines > 0;
            if (list && found.matched)
                found.out = report.path + "\n";
            if (count)
                found.out = prefix + std::to_string(lines) + "\n";
        } catch (const std::exception& error) {
            // What was found before the damage stays printed, as grep keeps it.
            found.err = "qrptool: " + (named ? report.path + ": " : std::string()) + error.what() + "\n";
            found.failed = true;
        }
    };
    jobsRun.deliver = [&](std::size_t i) {
        Found& found = slots[i % slots.size()];
        Write(found.out, stdout);
        if (!found.err.empty()) {
            std::fflush(stdout);
            Write(found.err, stderr);
        }
        matched |= found.matched;
        failed |= found.failed;
    };
    jobsRun.Run(reports.size(), jobs);
    if (std::fflush(stdout) != 0)
        throw std::runtime_error("cannot write to the standard output");
    return failed ? 2 : matched ? 0 : 1;
}

}  // namespace qrp::tool
