#include "batch_convert.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

#include "batch_progress.h"
#include "ordered_jobs.h"
#include "report_walk.h"
#include "shard.h"

namespace qrp::tool {

namespace {

namespace fs = std::filesystem;

std::atomic<bool> g_stop{false};
volatile std::sig_atomic_t g_signal = 0;

void OnSignal(int signal) {
    g_signal = signal;
    g_stop = true;
}

// Catches the signals that end a run for as long as it lives; then ends the process by
// the signal caught, as if it had been left to it, now that no output is half done.
class SignalStop {
  public:
    SignalStop() {
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &action, &m_old[i]);
    }
    ~SignalStop() {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &m_old[i], nullptr);
    }
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    void RaiseCaught() {
        if (g_signal == 0)
            return;
        const int signal = g_signal;
        std::fflush(nullptr);
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_old[std::size(kSignals)]{};
};

// An output newer than its report was made from it (outputs are put in place whole).
bool UpToDate(const std::string& report, const std::string& output) {
    struct stat in {
    }, out{};
    if (::stat(report.c_str(), &in) != 0 || ::stat(output.c_str(), &out) != 0)
        return false;
    return out.st_mtim.tv_sec > in.st_mtim.tv_sec ||
           (out.st_mtim.tv_sec == in.st_mtim.tv_sec && out.st_mtim.tv_nsec > in.st_mtim.tv_nsec);
}

struct Outcome {
    std::string error;
};

}  // namespace

bool WantsOutputDir(const Args& args) {
    for (const std::string& arg : args)
        if (arg == "--output-dir" || arg.starts_with("--output-dir="))
            return true;
    return false;
}

int RunBatch(const ParsedArgs& parsed, const BatchConversion& conversion) {
    if (parsed.positional.empty())
        throw UsageError{"expected report files or folders"};
    const fs::path outputDir = parsed.Value("--output-dir");
    if (outputDir.empty())
        throw UsageError{"--output-dir needs a folder"};
    const unsigned jobs = JobsOption(parsed);
    const Shard shard = parsed.values.contains("--shard") ? ParseShard(parsed.Value("--shard")) : Shard{};
    if (parsed.Has("--progress") && parsed.Has("--quiet"))
        throw UsageError{"give --progress or --quiet, not both"};
    const bool update = parsed.Has("--update");

    std::vector<WalkedReport> reports;
    for (WalkedReport& report : WalkReports(parsed.positional, parsed.Has("-r") || parsed.Has("--recursive")))
        if (InShard(report.relative, shard))
            reports.push_back(std::move(report));

    BatchProgress progress(reports.size(), parsed.Has("--progress"), parsed.Has("--quiet"));
    std::vector<Outcome> slots(OrderedJobs::Window(jobs));
    std::vector<std::pair<std::string, std::string>> failures;  // report, error
    OrderedJobs run;
    run.work = [&](std::size_t i) {
        const WalkedReport& report = reports[i];
        Outcome& outcome = slots[i % slots.size()];
        outcome = {report.error};
        if (!outcome.error.empty())
            return;
        try {
            fs::path output = outputDir / report.relative;
            output.replace_extension(conversion.suffix);
            if (update && UpToDate(report.path, output.string()))
                return;
            progress.Started(report.relative);
            std::error_code ignored;  // a folder that could not be made fails the output's creation
            fs::create_directories(output.parent_path(), ignored);
            progress.AddPages(static_cast<std::size_t>(conversion.convert(report.path, output.string())));
        } catch (const std::exception& error) {
            outcome.error = error.what();
        }
    };
    run.deliver = [&](std::size_t i) {
        Outcome& outcome = slots[i % slots.size()];
        progress.Finished(!outcome.error.empty());
        if (!outcome.error.empty())
            failures.emplace_back(reports[i].path, std::move(outcome.error));
    };
    run.tick = [&] { progress.Draw(); };

    SignalStop signals;
    const std::size_t done = run.Run(reports.size(), jobs, &g_stop);
    progress.Close();
    if (done < reports.size())
        std::fprintf(stderr, "qrptool: stopped after %zu of %zu reports\n", done, reports.size());
    if (!failures.empty()) {
        std::fprintf(stderr, "qrptool: %zu of %zu reports failed:\n", failures.size(), done);
        for (const auto& [report, error] : failures)
            std::fprintf(stderr, "  %s: %s\n", report.c_str(), error.c_str());
    }
    signals.RaiseCaught();
    return failures.empty() ? 0 : 1;
}

}  // namespace qrp::tool
