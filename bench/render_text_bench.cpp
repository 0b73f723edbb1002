// A text-heavy A4 page at 96 dpi (794 x 1123 pixels): a heading and 50 rows of 5 columns
// of text with their advances, a rule under each row and the column lines, recorded with
// the EMF recorder and drawn onto a white image as the preview draws a page. Fonts stay
// loaded between runs, as in the viewer.
#include <cstdint>
#include <string>
#include <vector>

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include "emf/recorder.h"
#include "qt_benchmark_main.h"
#include "render/page_renderer.h"

namespace {

constexpr std::int32_t kWidth = 794, kHeight = 1123;  // A4 at 96 dpi
constexpr std::uint32_t kTaRight = 2, kTaBaseline = 24, kTransparent = 1;

std::u16string Ascii(const std::string& text) {
    return {text.begin(), text.end()};
}

// Advances of a proportional face: narrow for digits and "i l .", wide otherwise.
std::vector<std::int32_t> Advances(const std::u16string& text, std::int32_t size) {
    std::vector<std::int32_t> dx;
    for (char16_t c : text)
        dx.push_back(c >= 0x2E80 ? size : (c == u'i' || c == u'l' || c == u'.') ? size / 4 : size * 11 / 20);
    return dx;
}

std::vector<std::uint8_t> TextPage() {
    using qrp::emf::Color;
    qrp::emf::Recorder page(kWidth, kHeight, qrp::emf::ReferenceDevice::AtResolution(96, 96));
    page.SetBkMode(kTransparent);
    page.SetTextAlign(kTaBaseline);
    const auto heading = page.CreateFont({.height = -19, .weight = 700, .faceName = u"Arial"});
    const auto body = page.CreateFont({.height = -11, .faceName = u"Arial"});
    const auto chinese = page.CreateFont({.height = -11, .charset = 136, .faceName = u"細明體"});
    page.SelectObject(page.CreatePen(0, 1, Color{0, 0, 0}));
    page.SelectObject(heading);
    const std::u16string title = u"Sales by customer";
    page.ExtTextOut(57, 60, title, Advances(title, 19));
    for (int row = 0; row < 50; ++row) {
        const std::int32_t y = 113 + 19 * row;
        const std::u16string number = Ascii(std::to_string(1000 + row));
        const std::u16string cells[] = {number, u"Customer " + number, u"金龍貿易有限公司",
                                        Ascii(std::to_string(row * 7 + 3)), number + u".50"};
        const std::int32_t columns[] = {57, 151, 378, 605, 737};
        for (int column = 0; column < 5; ++column) {
            page.SelectObject(column == 2 ? chinese : body);
            page.SetTextAlign(kTaBaseline | (column >= 3 ? kTaRight : 0));
            page.ExtTextOut(columns[column], y, cells[column], Advances(cells[column], 11));
        }
        page.MoveTo(57, y + 5);
        page.LineTo(737, y + 5);
    }
    for (std::int32_t x : {57, 145, 372, 560, 660, 737}) {
        page.MoveTo(x, 98);
        page.LineTo(x, 1068);
    }
    return page.Finish();
}

void BM_TextHeavyA4At96Dpi(benchmark::State& state) {
    const std::vector<std::uint8_t> emf = TextPage();
    for (auto _ : state) {
        QImage image = qrp::render::RenderToImage(emf, {0, 96});
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TextHeavyA4At96Dpi)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    return qrp::bench::RunBenchmarks<QGuiApplication>(argc, argv);
}
