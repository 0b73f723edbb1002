// Pages recorded per second: a text-heavy A4 page (a heading, 50 rows of 5 columns with a
// rule under each) drawn on the document's canvas and stored in its page stream, plain or
// packed, in runs of 100 pages, so the stream moves to its temporary file as a long run's does.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "report/document.h"
#include "report/no_printer.h"

namespace {

constexpr int kPagesPerRun = 100;

void DrawPage(qrp::TQRPrinter& doc, int page) {
    qrp::TQRCanvas& canvas = *doc.Canvas();
    canvas.Font = {.Name = "Arial", .Size = 14, .Weight = 700};
    canvas.TextOut(doc.DevX(150), doc.DevY(150), "Sales by customer, page " + std::to_string(page));
    canvas.Font = {.Name = "Arial", .Size = 8};
    canvas.Pen = {qrp::clBlack, 1, qrp::psSolid};
    for (int row = 0; row < 50; ++row) {
        const int y = 300 + 48 * row;
        const std::string number = std::to_string(page * 50 + row);
        canvas.TextOut(doc.DevX(150), doc.DevY(y), number);
        canvas.TextOut(doc.DevX(400), doc.DevY(y), "Customer " + number);
        canvas.Font.Name = "細明體";
        canvas.Font.Charset = qrp::CHINESEBIG5_CHARSET;
        canvas.TextOut(doc.DevX(1000), doc.DevY(y), "金龍貿易");
        canvas.Font.Name = "Arial";
        canvas.Font.Charset = qrp::DEFAULT_CHARSET;
        canvas.TextOut(doc.DevX(1600), doc.DevY(y), std::to_string(row * 7 + 3), {.Horizontal = qrp::haRight});
        canvas.TextOut(doc.DevX(1950), doc.DevY(y), number + ".50", {.Horizontal = qrp::haRight});
        canvas.Line(doc.DevX(150), doc.DevY(y + 44), doc.DevX(1950), doc.DevY(y + 44));
    }
}

void BM_RecordPages(benchmark::State& state) {
    qrp::TQRPrinter doc(std::make_unique<qrp::NoPrinter>());
    doc.SetCompression(state.range(0) != 0);
    for (auto _ : state) {
        doc.OpenDoc();
        for (int page = 1; page <= kPagesPerRun; ++page) {
            doc.NewPage();
            DrawPage(doc, page);
        }
        doc.EndDoc();
        doc.DiscardPages();
    }
    state.SetItemsProcessed(state.iterations() * kPagesPerRun);
    state.SetLabel(state.range(0) ? "packed" : "plain");
}

}  // namespace

BENCHMARK(BM_RecordPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
