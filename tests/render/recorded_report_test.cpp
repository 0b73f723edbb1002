// A report recorded through the document, saved, loaded into another document and drawn:
// what a user sees of a recorded page, compared with a golden image.
#include <QImage>

#include <gtest/gtest.h>

#include "image_checks.h"
#include "render/page_renderer.h"
#include "report/document.h"
#include "report/no_printer.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

// An invoice slip on 100 x 60 mm paper: 378 x 227 pixels at 96 dpi.
void DrawSlip(TQRPrinter& doc, int page) {
    TQRCanvas& canvas = *doc.Canvas();
    const auto box = [&doc](int left, int top, int right, int bottom) {
        return TRect{doc.DevX(left), doc.DevY(top), doc.DevX(right), doc.DevY(bottom)};
    };
    canvas.Pen = {{31, 78, 153}, 2, psSolid};
    canvas.Brush = {{232, 238, 248}, bsSolid};
    canvas.RoundRect(box(40, 40, 960, 160), 12, 12);
    canvas.Font.Size = 11;
    canvas.Font.Weight = 700;
    canvas.Font.Color = {31, 78, 153};
    canvas.TextOut(doc.DevX(70), doc.DevY(70), "Invoice " + std::to_string(24000 + page));
    canvas.Font = {.Name = "細明體", .Size = 11, .Charset = CHINESEBIG5_CHARSET};
    canvas.TextOut(doc.DevX(930), doc.DevY(70), "發票", {.Horizontal = haRight});

    canvas.Font = {.Name = "細明體", .Size = 9, .Charset = CHINESEBIG5_CHARSET};
    canvas.TextOut(doc.DevX(60), doc.DevY(200), "客戶");
    canvas.TextOut(doc.DevX(940), doc.DevY(200), "金額", {.Horizontal = haRight});
    canvas.Pen = {clBlack, 1, psSolid};
    canvas.Line(doc.DevX(50), doc.DevY(250), doc.DevX(950), doc.DevY(250));
    canvas.Font = {.Name = "Arial", .Size = 9};
    const char* rows[][2] = {{"Golden Dragon Trading", "7,485.50"}, {"Harbour Light Foods", "33,544.50"}};
    for (int row = 0; row < 2; ++row) {
        const int y = 270 + 60 * row;
        // The name is cut at its column.
        canvas.TextOut(doc.DevX(60), doc.DevY(y), rows[row][0], {.Box = box(50, y, 330, y + 60), .Clip = true});
        canvas.TextOut(doc.DevX(940), doc.DevY(y), rows[row][1], {.Horizontal = haRight});
    }
    canvas.Line(doc.DevX(600), doc.DevY(400), doc.DevX(950), doc.DevY(400));
    canvas.Font.Weight = 700;
    canvas.TextOut(doc.DevX(940), doc.DevY(420), "41,030.00", {.Horizontal = haRight});

    canvas.Brush = {{242, 140, 40}, bsSolid};
    canvas.Ellipse(box(60, 430, 160, 530));
    canvas.Brush.Style = bsCross;
    const TPoint triangle[] = {
        {doc.DevX(200), doc.DevY(530)}, {doc.DevX(260), doc.DevY(430)}, {doc.DevX(320), doc.DevY(530)}};
    canvas.Polygon(triangle);
    TQRBitmap logo{4, 4, {}};
    for (int i = 0; i < 16; ++i)
        logo.pixels.push_back((i + i / 4) % 2 ? 0x1F4E99 : 0xF28C28);
    canvas.StretchDraw(box(360, 430, 460, 530), logo);
}

TEST(RecordedReport, SavedLoadedAndDrawnMatchesTheGolden) {
    ScratchDir scratch;
    const std::string file = (scratch / "slips.qrp").string();
    {
        TQRPrinter doc(std::make_unique<NoPrinter>());
        doc.SetPaperSize(TQRPaperSize::Custom);
        doc.SetSheetWidth(1000);
        doc.SetSheetLength(600);
        doc.OpenDoc();
        for (int page = 1; page <= 2; ++page) {
            doc.NewPage();
            DrawSlip(doc, page);
        }
        doc.EndDoc();
        doc.Save(file);
    }
    TQRPrinter loaded(std::make_unique<NoPrinter>());
    loaded.Load(file);
    ASSERT_EQ(loaded.PageTotal(), 2);
    const auto page = loaded.FetchPage(2);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->WidthPx(), 378);
    EXPECT_EQ(page->HeightPx(), 227);
    const QImage image = render::RenderToImage(page->View(), render::RasterSize{page->WidthPx(), 96});
    EXPECT_EQ(image.size(), QSize(378, 227));
    EXPECT_EQ(CompareImageGolden(DataDir() / "golden" / "render" / "recorded_slip.png", image), "");
}

}  // namespace
}  // namespace qrp::test
