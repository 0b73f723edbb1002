// qrptool over an archive of 1,000 packed, text-heavy reports of 10 pages (text_report.h),
// whole processes as a user runs them:
//  - find -r with -j 1 and -j 2, against the single-report find once per file through
//    xargs -P 2 (each run paying the program's start-up);
//  - pdf --output-dir with -j 1 and -j 2, against single-report pdf through xargs -P 2;
//  - the peak memory of pdf --output-dir over 100 reports (one month folder) and over all.
// QRP_ARCHIVE_DIR names an archive made by make_archive to use instead of a fresh one.
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "text_report.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kReports = 1000;
constexpr int kPages = 10;
const std::string kTool = QRPTOOL_PATH;
// On one page of one report: what a user looks for in an archive.
const std::string kText = "Item 4242/";

const fs::path& Archive() {
    static const fs::path dir = [] {
        if (const char* given = std::getenv("QRP_ARCHIVE_DIR"))
            return fs::path(given);
        const fs::path made = fs::temp_directory_path() / ("qrp-archive-bench-" + std::to_string(getpid()));
        qrp::bench::WriteTextArchive(made, kReports, kPages);
        std::atexit(
            [] { fs::remove_all(fs::temp_directory_path() / ("qrp-archive-bench-" + std::to_string(getpid()))); });
        return made;
    }();
    return dir;
}

fs::path OutputDir() {
    return fs::temp_directory_path() / ("qrp-archive-bench-out-" + std::to_string(getpid()));
}

struct Run {
    int status = -1;
    long peakKiB = 0;
    double cpuSeconds = 0;  // of every process the command waited for: the work, whatever the load
};

// Runs a shell command with its output discarded; the peak memory is the largest of the
// processes it waited for, the command itself when it is exec'd.
Run Shell(const std::string& command) {
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    Run run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
            run.peakKiB = usage.ru_maxrss;
            run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

void Time(benchmark::State& state, const std::string& command, bool clearOutput, int wanted) {
    const std::string archive = Archive().string();
    long peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        if (clearOutput) {
            state.PauseTiming();
            fs::remove_all(OutputDir());
            fs::create_directories(OutputDir());
            state.ResumeTiming();
        }
        const Run run = Shell(command);
        if (wanted >= 0 && run.status != wanted) {
            state.SkipWithError(("exit status " + std::to_string(run.status) + ": " + command).c_str());
            break;
        }
        peak = std::max(peak, run.peakKiB);
        cpu += run.cpuSeconds;
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024;
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    fs::remove_all(OutputDir());
}

void BM_FindArchive(benchmark::State& state) {
    Time(state,
         "exec " + kTool + " find -r -j " + std::to_string(state.range(0)) + " " + Archive().string() + " '" + kText +
             "'",
         false, 0);
}
BENCHMARK(BM_FindArchive)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindXargs(benchmark::State& state) {
    // xargs exits 123 when some report did not hold the text, as all but one do not.
    Time(state,
         "find " + Archive().string() + " -type f -print0 | xargs -0 -P 2 -I{} " + kTool + " find {} '" + kText + "'",
         false, 123);
}
BENCHMARK(BM_FindXargs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PdfArchive(benchmark::State& state) {
    Time(state,
         "exec " + kTool + " pdf -r --quiet -j " + std::to_string(state.range(0)) + " " + Archive().string() +
             " --output-dir " + OutputDir().string(),
         true, 0);
}
BENCHMARK(BM_PdfArchive)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_PdfXargs(benchmark::State& state) {
    Time(state,
         "find " + Archive().string() + " -type f -printf '%p\\0" + OutputDir().string() + "/%f.pdf\\0' | " +
             "xargs -0 -n 2 -P 2 sh -c 'exec " + kTool + " pdf \"$0\" -o \"$1\"'",
         true, 0);
}
BENCHMARK(BM_PdfXargs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Peak memory of -j 2 over one month folder (100 reports) and over the whole archive.
void BM_PdfPeakMemory(benchmark::State& state) {
    const fs::path input = state.range(0) == 100 ? Archive() / "01" : Archive();
    Time(state, "exec " + kTool + " pdf -r --quiet -j 2 " + input.string() + " --output-dir " + OutputDir().string(),
         true, 0);
}
BENCHMARK(BM_PdfPeakMemory)
    ->ArgName("reports")
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
