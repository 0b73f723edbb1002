#include "text_report.h"

#include <memory>
#include <string>

#include "emf/emf_format.h"
#include "emf/recorder.h"
#include "report/page_list.h"
#include "report/page_picture.h"

namespace qrp::test {

namespace {

using namespace qrp::emf;

// 960 x 960 pixels on 254 x 254 mm: exactly 96 pixels per inch.
const ReferenceDevice kScreen{960, 960, 254, 254};

std::vector<std::uint8_t> FirstPage() {
    Recorder page(794, 1123, kScreen);
    const std::uint32_t title = page.CreateFont({.height = -21, .weight = 700, .faceName = u"Arial"});
    const std::uint32_t body = page.CreateFont({.height = -13, .faceName = u"Arial"});
    const std::uint32_t small = page.CreateFont({.height = -11, .italic = true, .faceName = u"Times New Roman"});
    page.SetBkMode(kTransparent);
    page.SelectObject(title);
    page.SetTextColor({0, 0, 128});
    page.SetTextAlign(kTaTop | kTaCenter);
    page.ExtTextOut(397, 40, u"Sales report");

    page.SelectObject(body);
    page.SetTextColor({0, 0, 0});
    const char16_t* names[] = {u"Apples", u"Pears", u"Plums"};
    const char16_t* amounts[] = {u"1.50", u"12.25", u"0.75"};
    for (int row = -1; row < 3; ++row) {
        const std::int32_t y = 120 + 24 * row;
        page.SetTextAlign(kTaTop | kTaLeft);
        page.ExtTextOut(48, y, row < 0 ? u"Item" : names[row]);
        page.SetTextAlign(kTaTop | kTaRight);
        const std::u16string amount = row < 0 ? u"Price" : amounts[row];
        page.ExtTextOut(700, y, amount, std::vector<std::int32_t>(amount.size(), 7));
    }

    page.SelectObject(small);
    page.SetTextColor({128, 128, 128});
    page.SetTextAlign(kTaBaseline | kTaCenter);
    page.ExtTextOut(397, 1090, u"Page 1");
    return page.Finish();
}

std::vector<std::uint8_t> SecondPage() {
    Recorder page(794, 1123, kScreen);
    const std::uint32_t body = page.CreateFont({.height = -13, .faceName = u"Arial"});
    const std::uint32_t chinese = page.CreateFont({.height = -16, .charset = 136, .faceName = u"細明體"});
    page.SetBkMode(kTransparent);
    page.SelectObject(body);
    page.SetTextAlign(kTaBottom | kTaLeft);
    page.ExtTextOut(48, 116, u"Total");
    page.SetTextColor({255, 0, 0});
    page.SetTextAlign(kTaBottom | kTaRight);
    page.ExtTextOut(700, 116, u"14.50");
    page.SetTextColor({0, 0, 0});
    page.SetTextAlign(kTaTop | kTaLeft);
    page.ExtTextOut(48, 144, u"Café");
    page.SelectObject(chinese);
    page.ExtTextOut(48, 168, u"合計金額", std::vector<std::int32_t>{16, 16, 16, 16});
    return page.Finish();
}

}  // namespace

std::vector<std::vector<std::uint8_t>> SalesReportPages() {
    return {FirstPage(), SecondPage()};
}

void WriteReport(const std::filesystem::path& path, const std::vector<std::vector<std::uint8_t>>& pages) {
    TQRPageList list;
    list.AttachStream(std::make_unique<TQRStream>(100000));
    for (const auto& page : pages)
        list.AppendPage(*PagePicture::FromBytes(page));
    list.Finish();
    list.SaveCopy(path.string());
}

}  // namespace qrp::test
