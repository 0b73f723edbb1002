// The report canvas, judged by what its pages play back as: text in any script with its
// advances, fonts in points, objects made once, state that Restore brings back.
#include "report/report_canvas.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "emf/emf_format.h"
#include "emf/player.h"
#include "emf/record_reader.h"
#include "report/page_picture.h"
#include "support/recording_device.h"

namespace qrp {
namespace {

// A 96 dpi canvas of 5 x 2.5 inches, so that its frame plays back onto whole pixels.
TQRCanvas Small() {
    return TQRCanvas(480, 240, 96, 96);
}

std::vector<std::string> Played(TQRCanvas& canvas) {
    const auto picture = canvas.Finish();
    test::RecordingDevice device;
    emf::Player(picture->View()).Play(device, {0, 0, 480, 240});
    return device.Lines();
}

std::size_t CountRecords(std::span<const std::uint8_t> emf, std::uint32_t type) {
    emf::RecordReader reader(emf);
    std::size_t count = 0;
    while (const auto record = reader.Next())
        count += record->Type() == type ? 1 : 0;
    return count;
}

bool Contains(const std::string& line, const std::string& part) {
    return line.find(part) != std::string::npos;
}

TEST(ReportCanvas, ChineseAndEnglishTextKeepTheirAdvances) {
    TQRCanvas canvas = Small();
    canvas.Font.Name = "細明體";
    canvas.Font.Height = 13;
    canvas.Font.Charset = CHINESEBIG5_CHARSET;
    const std::int32_t twoChars[] = {13, 13};
    canvas.TextOut(66, 94, "客戶", {.Advances = twoChars});
    canvas.Font.Name = "Arial";
    canvas.Font.Charset = DEFAULT_CHARSET;
    canvas.TextOut(300, 94, "Total", {.Horizontal = haRight, .Vertical = vaBaseline});
    const auto lines = Played(canvas);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "text \"客戶\" at 66.00,94.00 align=0 font=\"細明體\" h=13.00 lfh=-13 w=0.00 wt=400 cs=136 esc=0.00 "
              "#000000 origins=[66.00,94.00 79.00,94.00]");
    EXPECT_TRUE(Contains(lines[1], "text \"Total\" at 300.00,94.00 align=26 font=\"Arial\"")) << lines[1];
}

// Advances are given per character; one outside the basic plane is two UTF-16 units, the
// second of which takes no room.
TEST(ReportCanvas, AdvancesCountCharactersNotUnits) {
    TQRCanvas canvas = Small();
    const std::int32_t advances[] = {10, 20, 7};
    canvas.TextOut(0, 0,
                   "a\xF0\xA0\x80\x80"
                   "b",
                   {.Advances = advances});
    const auto lines = Played(canvas);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Contains(lines[0], "origins=[0.00,0.00 10.00,0.00 30.00,0.00 30.00,0.00]")) << lines[0];

    // A count that does not match is not applied to the wrong characters.
    TQRCanvas other = Small();
    other.TextOut(0, 0, "abc", {.Advances = std::span(advances, 2)});
    EXPECT_FALSE(Contains(Played(other)[0], "origins"));
}

TEST(ReportCanvas, MalformedTextBecomesReplacementCharacters) {
    TQRCanvas canvas = Small();
    canvas.TextOut(0, 0,
                   "a\xFF"
                   "b\xE4\xB8"
                   "c\xED\xA0\x80");
    const auto lines = Played(canvas);
    ASSERT_EQ(lines.size(), 1u);
    // One replacement per broken sequence: a stray byte, a cut one, an encoded surrogate.
    EXPECT_TRUE(Contains(lines[0],
                         "text \"a\xEF\xBF\xBD"
                         "b\xEF\xBF\xBD"
                         "c\xEF\xBF\xBD\""))
        << lines[0];
}

TEST(ReportCanvas, PointSizesFollowThePageResolution) {
    TQRCanvas screen = Small();
    screen.Font.Size = 12;
    screen.TextOut(0, 0, "x");
    EXPECT_TRUE(Contains(Played(screen)[0], "lfh=-16"));
    TQRCanvas printer(480, 240, 600, 600);
    printer.Font.Size = 12;
    printer.Font.Weight = 700;
    printer.Font.Italic = true;
    printer.TextOut(0, 0, "x");
    EXPECT_TRUE(Contains(Played(printer)[0], "lfh=-100 w=0.00 wt=700"));
}

// A page that switches between two fonts row by row makes two font objects, and a change
// of colour alone makes none.
TEST(ReportCanvas, ObjectsAreMadeOncePerPage) {
    TQRCanvas canvas = Small();
    for (int row = 0; row < 50; ++row) {
        canvas.Font.Weight = row % 2 ? 700 : 400;
        canvas.Font.Color = row % 3 ? TColor{0, 0, 128} : clBlack;
        canvas.Pen.Width = 1 + row % 2;
        canvas.TextOut(0, row * 4, "row");
        canvas.Line(0, row * 4, 100, row * 4);
    }
    const auto picture = canvas.Finish();
    EXPECT_EQ(CountRecords(picture->View(), emf::kEmrExtCreateFontIndirectW), 2u);
    EXPECT_EQ(CountRecords(picture->View(), emf::kEmrCreatePen), 2u);
}

// Past the cap, objects no longer selected are deleted, so a page of many distinct fonts
// keeps a small object table and still draws each text in its own font.
TEST(ReportCanvas, ManyFontsKeepTheObjectTableSmall) {
    TQRCanvas canvas = Small();
    for (int size = 1; size <= 200; ++size) {
        canvas.Font.Height = size;
        canvas.TextOut(0, 0, "x");
    }
    const auto picture = canvas.Finish();
    EXPECT_LE(LoadU16(&picture->Bytes()[emf::kHeaderHandles]), 66);
    test::RecordingDevice device;
    emf::Player(picture->View()).Play(device, {0, 0, 480, 240});
    ASSERT_EQ(device.Lines().size(), 200u);
    EXPECT_TRUE(Contains(device.Lines().back(), "lfh=-200"));
    EXPECT_TRUE(Contains(device.Lines()[64], "lfh=-65"));
}

TEST(ReportCanvas, RestoreBringsBackFontPenBrushAndClip) {
    TQRCanvas canvas = Small();
    canvas.Font.Name = "Arial";
    canvas.Brush.Color = {200, 200, 200};
    canvas.Save();
    canvas.Font.Name = "Courier New";
    canvas.Brush.Style = bsClear;
    canvas.Pen.Style = psDash;
    canvas.IntersectClipRect({10, 10, 100, 100});
    canvas.TextOut(20, 20, "inside");
    canvas.Rectangle({20, 40, 60, 80});
    canvas.Restore();
    canvas.Restore();  // nothing left to restore: ignored
    EXPECT_EQ(canvas.Font.Name, "Arial");
    EXPECT_EQ(canvas.Brush.Style, bsSolid);
    EXPECT_EQ(canvas.Pen.Style, psSolid);
    canvas.TextOut(20, 120, "after");
    canvas.Rectangle({20, 140, 60, 180});
    const auto lines = Played(canvas);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(Contains(lines[0], "clip intersect"));
    EXPECT_TRUE(Contains(lines[1], "font=\"Courier New\""));
    EXPECT_TRUE(Contains(lines[2], "pen=dash") && Contains(lines[2], "brush=null")) << lines[2];
    EXPECT_EQ(lines[3], "clip none");
    EXPECT_TRUE(Contains(lines[4], "font=\"Arial\""));
    EXPECT_TRUE(Contains(lines[5], "pen=solid") && Contains(lines[5], "brush=solid #C8C8C8")) << lines[5];
}

TEST(ReportCanvas, OpaqueAndClippedTextUseTheBox) {
    TQRCanvas canvas = Small();
    canvas.Brush.Color = {255, 255, 0};
    canvas.TextOut(10, 10, "cut", {.Box = TRect{5, 5, 50, 30}, .Clip = true, .Opaque = true});
    const auto picture = canvas.Finish();
    emf::RecordReader reader(picture->View());
    std::optional<emf::Record> text;
    std::optional<std::uint32_t> background;
    while (const auto record = reader.Next()) {
        if (record->Type() == emf::kEmrExtTextOutW)
            text = record;
        if (record->Type() == emf::kEmrSetBkColor)
            background = record->U32(8);
    }
    ASSERT_TRUE(text);
    EXPECT_EQ(text->U32(52), emf::kEtoClipped | emf::kEtoOpaque);
    EXPECT_EQ(text->Rect(56).right, 50);
    EXPECT_EQ(background, 0x00FFFFu) << "the brush colour, as a COLORREF";
}

TEST(ReportCanvas, BitmapsThatDoNotHoldTheirPixelsAreLeftOut) {
    TQRCanvas canvas = Small();
    canvas.StretchDraw({0, 0, 20, 20}, TQRBitmap{2, 2, {0xFF0000, 0x00FF00, 0x0000FF}});
    canvas.StretchDraw({0, 0, 20, 20}, TQRBitmap{0, 0, {}});
    canvas.StretchDraw({30, 0, 50, 20}, TQRBitmap{1, 1, {0x123456}});
    const auto lines = Played(canvas);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Contains(lines[0], "image 1x1 pixels=[FF123456]")) << lines[0];
}

}  // namespace
}  // namespace qrp
