#include "preview_pages.h"

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

Color ToEmf(const QColor& colour) {
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

std::u16string Digits(int n) {
    const std::string text = std::to_string(n);
    return {text.begin(), text.end()};
}

}  // namespace

QColor BlockColour(int n) {
    return QColor::fromHsv((n * 67) % 360, 255, 200);
}

PageBytes BlockPage(int n) {
    Recorder page(kPageWidthPx, kPageHeightPx, kScreen);
    page.SelectObject(page.CreateBrush(kBsSolid, ToEmf(BlockColour(n))));
    page.SelectStockObject(kNullPen);
    page.Rectangle({200, 300, 600, 800});
    return page.Finish();
}

PageBytes TextPage(int n) {
    Recorder page(kPageWidthPx, kPageHeightPx, kScreen);
    const std::uint32_t title = page.CreateFont({.height = -21, .weight = 700, .faceName = u"Arial"});
    const std::uint32_t body = page.CreateFont({.height = -11, .faceName = u"Arial"});
    page.SetBkMode(kTransparent);
    page.SelectObject(title);
    page.SetTextAlign(kTaTop | kTaCenter);
    page.ExtTextOut(397, 30, u"Stock list, page " + Digits(n));
    page.SelectObject(body);
    page.SelectStockObject(kBlackPen);
    page.SetTextAlign(kTaTop | kTaLeft);
    const char16_t* columns[] = {u"Article 4711-", u"Warehouse north ", u"Quantity ", u"Unit price ", u"Total "};
    const std::int32_t columnX[] = {40, 190, 370, 490, 620};
    for (int row = 0; row < 50; ++row) {
        const std::int32_t y = 80 + row * 20;
        const std::u16string number = Digits(100 + row).substr(1);
        for (int column = 0; column < 5; ++column)
            page.ExtTextOut(columnX[column], y, columns[column] + number);
        page.MoveTo(40, y + 17);
        page.LineTo(754, y + 17);
    }
    return page.Finish();
}

void WriteReport(const std::filesystem::path& path, int count, const std::function<PageBytes(int)>& makePage) {
    TQRPageList list;
    list.AttachStream(std::make_unique<TQRStream>(100000));
    for (int n = 1; n <= count; ++n)
        list.AppendPage(*PagePicture::FromBytes(makePage(n)));
    list.Finish();
    list.SaveCopy(path.string());
}

}  // namespace qrp::test
