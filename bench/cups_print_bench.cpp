// Prints text-heavy reports of 100 and 1,000 pages on the CUPS queue "PDF" through the
// document's Print path, as the viewer and qrptool print do, and reports what the spooler
// was given and the memory it took: both must grow no faster than the page count (the job
// size per page and the peak memory flat). Then the sample report's job against its own
// PDF printed into a file, which it should be within twice of. The jobs are withdrawn
// once spooled, so the queue writes no large files.
//   cups_print_bench [--benchmark_filter=...]
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include "print/pdf_printer.h"
#include "print/qt_printer.h"
#include "qt_benchmark_main.h"
#include "report/document.h"
#include "report/host_hooks.h"
#include "text_report.h"

namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The job's size as the scheduler holds it ("PDF-12  root  10240  date"), in bytes.
double SpooledBytes(const std::string& job) {
    std::istringstream lines(Output("lpstat -W all -o PDF"));
    std::string id, user;
    double bytes = 0;
    while (lines >> id >> user >> bytes) {
        if (id == job)
            return bytes;
        lines.ignore(1 << 16, '\n');
    }
    return -1;
}

// Prints the report on the PDF queue; gives the job id and the peak resident memory.
std::string PrintOnQueue(const fs::path& report, long& peakKiB) {
    auto owned = std::make_unique<qrp::print::QtPrinter>();
    qrp::print::QtPrinter& printer = *owned;
    qrp::TQRPrinter document(std::move(owned));
    const auto names = printer.Printers();
    document.SetPrinterNumber(static_cast<int>(std::find(names.begin(), names.end(), "PDF") - names.begin()));
    document.Load(report.string());
    document.Title = "qrp-bench-" + report.stem().string();
    peakKiB = 0;
    qrp::SetProcessMessagesHook([&] { peakKiB = std::max(peakKiB, qrp::bench::ResidentKiB()); });
    document.Print();
    qrp::SetProcessMessagesHook({});
    return printer.LastJob();
}

void Withdraw(const std::string& job) {
    Output("cancel " + job + " 2>/dev/null");
}

bool QueueReady() {
    return Output("lpstat -p PDF 2>/dev/null").find("PDF") != std::string::npos;
}

void BM_PrintOnCupsQueue(benchmark::State& state) {
    if (!QueueReady()) {
        state.SkipWithError("no CUPS queue named PDF");
        return;
    }
    const int pages = static_cast<int>(state.range(0));
    const fs::path report = fs::temp_directory_path() / ("qrp-cups-bench-" + std::to_string(pages) + ".qrp");
    qrp::bench::WriteTextReport(report, pages);
    long peak = 0;
    std::string job;
    for (auto _ : state) {
        job = PrintOnQueue(report, peak);
        state.PauseTiming();
        const double bytes = SpooledBytes(job);
        Withdraw(job);
        state.counters["job_bytes"] = bytes;
        state.counters["job_bytes_per_page"] = bytes / pages;
        state.counters["peak_rss_kib"] = static_cast<double>(peak);
        state.ResumeTiming();
    }
    fs::remove(report);
}
BENCHMARK(BM_PrintOnCupsQueue)->Arg(100)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SampleJobAgainstItsPdf(benchmark::State& state) {
    const fs::path sample = QRP_SAMPLE_REPORT;
    if (!QueueReady() || !fs::exists(sample)) {
        state.SkipWithError("no CUPS queue named PDF, or the samples are not built");
        return;
    }
    const fs::path pdf = fs::temp_directory_path() / "qrp-cups-bench-sample.pdf";
    for (auto _ : state) {
        long peak = 0;
        const std::string job = PrintOnQueue(sample, peak);
        const double bytes = SpooledBytes(job);
        Withdraw(job);
        qrp::TQRPrinter document(std::make_unique<qrp::print::PdfPrinter>(pdf.string()));
        document.Load(sample.string());
        document.Print();
        const auto own = static_cast<double>(fs::file_size(pdf));
        state.counters["job_bytes"] = bytes;
        state.counters["pdf_bytes"] = own;
        state.counters["job_to_pdf"] = bytes / own;
    }
    fs::remove(pdf);
}
BENCHMARK(BM_SampleJobAgainstItsPdf)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return qrp::bench::RunBenchmarks<QGuiApplication>(argc, argv);
}
