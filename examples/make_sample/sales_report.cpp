#include "sales_report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace sample {

namespace {

using qrp::TColor;
using qrp::TQRCanvas;
using qrp::TQRPrinter;
using qrp::TRect;

struct Name {
    const char* english;
    const char* chinese;
};

constexpr Name kRegions[] = {
    {"North", "北區"}, {"Central", "中區"}, {"South", "南區"}, {"East", "東區"}, {"Islands", "離島"},
};

constexpr Name kCustomers[] = {
    {"Golden Dragon Trading", "金龍貿易"}, {"Harbour Light Foods", "港燈食品"},  {"Jade Mountain Tea", "玉山茶業"},
    {"Pearl River Textiles", "珠江紡織"},  {"Sunrise Electronics", "旭日電子"},  {"Lotus Garden Hotel", "蓮園酒店"},
    {"Phoenix Logistics", "鳳凰物流"},     {"Bamboo Grove Paper", "竹林紙業"},   {"Silver Bay Fisheries", "銀灣漁業"},
    {"Summit Machinery", "峰頂機械"},      {"White Crane Pharmacy", "白鶴藥房"}, {"Orchid Cosmetics", "蘭花化妝品"},
};

struct Invoice {
    int number;
    int day;  // of the quarter, from 1
    int customer;
    int quantity;
    std::int64_t unitCents;
    std::int64_t Amount() const { return quantity * unitCents; }
};

struct Group {
    int region;
    std::vector<Invoice> invoices;
    std::int64_t Total() const {
        std::int64_t total = 0;
        for (const Invoice& invoice : invoices)
            total += invoice.Amount();
        return total;
    }
};

// Made-up figures from a fixed seed, so every build makes the same report.
std::vector<Group> MakeSales() {
    std::uint32_t seed = 20240331;
    const auto next = [&seed](int limit) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(limit));
    };
    std::vector<Group> groups;
    int number = 24001;
    for (int region = 0; region < static_cast<int>(std::size(kRegions)); ++region) {
        Group group{region, {}};
        // Sized so that the portrait report is twelve pages: the tool tests count on it.
        const int count = 85 + next(25);
        for (int i = 0; i < count; ++i)
            group.invoices.push_back({0, 1 + next(91), next(static_cast<int>(std::size(kCustomers))), 1 + next(60),
                                      (100 + next(4000)) * 25});
        std::stable_sort(group.invoices.begin(), group.invoices.end(),
                         [](const Invoice& a, const Invoice& b) { return a.day < b.day; });
        for (Invoice& invoice : group.invoices)
            invoice.number = number++;
        groups.push_back(std::move(group));
    }
    return groups;
}

std::string Grouped(std::int64_t whole) {
    std::string digits = std::to_string(whole);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

std::string Money(std::int64_t cents) {
    const std::int64_t fraction = cents % 100;
    return Grouped(cents / 100) + (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
}

// The day of the first quarter of 2024 as a date.
std::string Date(int day) {
    static constexpr int kMonthDays[] = {31, 29, 31};
    int month = 0;
    while (month < 2 && day > kMonthDays[month])
        day -= kMonthDays[month++];
    return "2024-0" + std::to_string(month + 1) + (day < 10 ? "-0" : "-") + std::to_string(day);
}

// A round logo: a blue disc, a white ring open to the right, an orange centre.
qrp::TQRBitmap Logo() {
    constexpr int kSize = 48;
    qrp::TQRBitmap logo{kSize, kSize, std::vector<std::uint32_t>(kSize * kSize, 0xFFFFFF)};
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double dx = x - 23.5, dy = y - 23.5, d = std::hypot(dx, dy);
            std::uint32_t& pixel = logo.pixels[static_cast<std::size_t>(y * kSize + x)];
            if (d < 7)
                pixel = 0xF28C28;
            else if (d > 12 && d < 16.5 && !(dx > 8 && std::abs(dy) < 4))
                pixel = 0xFFFFFF;
            else if (d < 23)
                pixel = static_cast<std::uint32_t>(0x1F4E99 + (static_cast<int>(d) << 16));
        }
    }
    return logo;
}

// Tenths of a millimetre.
constexpr int kMargin = 150;
constexpr int kPageHeader = 120;
constexpr int kTitle = 330;
constexpr int kColumnHeader = 100;
constexpr int kRow = 50;
constexpr int kGroupHeader = 80;
constexpr int kGroupFooter = 120;
constexpr int kPageFooter = 100;
constexpr int kSummaryLine = 60;

struct Column {
    Name title;
    double from, to;  // share of the content width
    bool right;       // right-aligned
};

constexpr Column kColumns[] = {
    {{"Invoice", "單號"}, 0.00, 0.11, false},   {{"Date", "日期"}, 0.11, 0.24, false},
    {{"Customer", "客戶"}, 0.24, 0.63, false},  {{"Qty", "數量"}, 0.63, 0.72, true},
    {{"Unit price", "單價"}, 0.72, 0.85, true}, {{"Amount", "金額"}, 0.85, 1.00, true},
};

constexpr std::size_t kCustomerColumn = 2;

enum class Band { GroupHeader, Detail, GroupFooter, Summary };

struct Item {
    Band band;
    int group;
    int row;  // detail rows: the invoice within the group
    int height;
};

constexpr TColor kInk{0, 0, 0};
constexpr TColor kAccent{31, 78, 153};
constexpr TColor kShade{232, 238, 248};
constexpr TColor kStripe{246, 246, 246};

class SalesReport {
  public:
    explicit SalesReport(TQRPrinter& doc) : m_doc(doc), m_groups(MakeSales()) {}

    void Record() {
        m_width = m_doc.OrientedPaperWidth();
        m_length = m_doc.OrientedPaperLength();
        const std::vector<std::vector<Item>> pages = Paginate();
        m_doc.OpenDoc();
        for (std::size_t page = 0; page < pages.size(); ++page) {
            m_doc.NewPage();
            DrawPage(static_cast<int>(page) + 1, static_cast<int>(pages.size()), pages[page]);
        }
        m_doc.EndDoc();
    }

  private:
    int Right() const { return m_width - kMargin; }
    int BodyTop(int page) const { return kMargin + kPageHeader + (page == 1 ? kTitle : 0) + kColumnHeader; }
    int BodyBottom() const { return m_length - kMargin - kPageFooter; }
    int SummaryHeight() const { return 160 + kSummaryLine * static_cast<int>(m_groups.size() + 1); }

    // Bands in reading order, cut into pages: a group header keeps its first row with it,
    // and the summary is never split.
    std::vector<std::vector<Item>> Paginate() const {
        std::vector<Item> items;
        for (int g = 0; g < static_cast<int>(m_groups.size()); ++g) {
            items.push_back({Band::GroupHeader, g, 0, kGroupHeader + kRow});
            for (int row = 0; row < static_cast<int>(m_groups[g].invoices.size()); ++row)
                items.push_back({Band::Detail, g, row, kRow});
            items.push_back({Band::GroupFooter, g, 0, kGroupFooter});
        }
        items.push_back({Band::Summary, 0, 0, SummaryHeight()});
        std::vector<std::vector<Item>> pages(1);
        int y = BodyTop(1);
        for (Item item : items) {
            if (y + item.height > BodyBottom()) {
                pages.emplace_back();
                y = BodyTop(static_cast<int>(pages.size()));
            }
            if (item.band == Band::GroupHeader)
                item.height = kGroupHeader;  // the room for its first row was only asked for
            pages.back().push_back(item);
            y += item.height;
        }
        return pages;
    }

    TQRCanvas& Canvas() { return *m_doc.Canvas(); }
    std::int32_t X(int x) const { return m_doc.DevX(x); }
    std::int32_t Y(int y) const { return m_doc.DevY(y); }
    TRect Box(int left, int top, int right, int bottom) const { return {X(left), Y(top), X(right), Y(bottom)}; }
    int ColumnLeft(const Column& column) const {
        return kMargin + static_cast<int>((Right() - kMargin) * column.from) + 15;
    }
    int ColumnRight(const Column& column) const {
        return kMargin + static_cast<int>((Right() - kMargin) * column.to) - 15;
    }

    void Font(const char* face, double size, bool bold = false, TColor color = kInk) {
        qrp::TQRFont& font = Canvas().Font;
        font.Name = face;
        font.Size = size;
        font.Weight = bold ? 700 : 400;
        font.Color = color;
        font.Charset = std::string(face) == "Arial" ? qrp::DEFAULT_CHARSET : qrp::CHINESEBIG5_CHARSET;
    }
    void English(double size, bool bold = false, TColor color = kInk) { Font("Arial", size, bold, color); }
    void Chinese(double size, bool bold = false, TColor color = kInk) { Font("細明體", size, bold, color); }

    void Text(int x, int y, const std::string& text, qrp::THorzAlign align = qrp::haLeft) {
        Canvas().TextOut(X(x), Y(y), text, {.Horizontal = align});
    }

    void Rule(int left, int right, int y, int width = 1, TColor color = kInk) {
        Canvas().Pen = {color, width, qrp::psSolid};
        Canvas().Line(X(left), Y(y), X(right), Y(y));
    }

    void Fill(const TRect& box, TColor color) {
        Canvas().Pen.Style = qrp::psClear;
        Canvas().Brush = {color, qrp::bsSolid};
        Canvas().Rectangle(box);
    }

    void DrawPage(int page, int pages, const std::vector<Item>& items) {
        DrawPageHeader();
        int y = kMargin + kPageHeader;
        if (page == 1) {
            DrawTitle(y);
            y += kTitle;
        }
        DrawColumnHeader(y);
        y += kColumnHeader;
        for (const Item& item : items) {
            switch (item.band) {
                case Band::GroupHeader:
                    DrawGroupHeader(y, m_groups[item.group]);
                    break;
                case Band::Detail:
                    DrawDetail(y, item.row, m_groups[item.group].invoices[item.row]);
                    break;
                case Band::GroupFooter:
                    DrawGroupFooter(y, m_groups[item.group]);
                    break;
                case Band::Summary:
                    DrawSummary(y);
                    break;
            }
            y += item.height;
        }
        DrawPageFooter(page, pages);
    }

    void DrawPageHeader() {
        English(9, true, kAccent);
        Text(kMargin, kMargin, "Formosa Trading Co., Ltd.");
        Chinese(9, false, kAccent);
        Text(kMargin + 560, kMargin, "福爾摩沙貿易有限公司");
        English(8);
        Text(Right(), kMargin, "Printed 2024-04-02 09:30", qrp::haRight);
        Rule(kMargin, Right(), kMargin + 70, 2, kAccent);
    }

    void DrawTitle(int top) {
        English(22, true, kAccent);
        Text(kMargin, top + 20, "Quarterly Sales Report");
        Chinese(18, true, kAccent);
        Text(kMargin, top + 130, "季度銷售報表");
        English(10);
        Text(kMargin, top + 230, "First quarter 2024, all regions. Amounts in NT$.");
        Canvas().StretchDraw(Box(Right() - 240, top + 20, Right(), top + 260), Logo());
    }

    void DrawColumnHeader(int top) {
        Fill(Box(kMargin, top, Right(), top + kColumnHeader - 10), kShade);
        Canvas().Pen = {kAccent, 1, qrp::psSolid};
        Canvas().Brush.Style = qrp::bsClear;
        Canvas().Rectangle(Box(kMargin, top, Right(), top + kColumnHeader - 10));
        for (const Column& column : kColumns) {
            const int x = column.right ? ColumnRight(column) : ColumnLeft(column);
            const qrp::THorzAlign align = column.right ? qrp::haRight : qrp::haLeft;
            English(9, true);
            Text(x, top + 8, column.title.english, align);
            Chinese(9);
            Text(x, top + 48, column.title.chinese, align);
        }
    }

    void DrawGroupHeader(int top, const Group& group) {
        const Name& region = kRegions[group.region];
        Canvas().Pen = {kAccent, 1, qrp::psSolid};
        Canvas().Brush = {kShade, qrp::bsSolid};
        Canvas().RoundRect(Box(kMargin, top + 10, Right(), top + kGroupHeader - 8), X(40) - X(0), Y(40) - Y(0));
        English(10, true, kAccent);
        Text(kMargin + 30, top + 22, std::string("Region: ") + region.english);
        Chinese(10, true, kAccent);
        Text(kMargin + 520, top + 22, region.chinese);
    }

    void DrawDetail(int top, int row, const Invoice& invoice) {
        if (row % 2 == 1)
            Fill(Box(kMargin, top, Right(), top + kRow), kStripe);
        const Name& customer = kCustomers[invoice.customer];
        const std::string cells[] = {std::to_string(invoice.number), Date(invoice.day),        customer.english,
                                     Grouped(invoice.quantity),      Money(invoice.unitCents), Money(invoice.Amount())};
        for (std::size_t i = 0; i < std::size(kColumns); ++i) {
            const Column& column = kColumns[i];
            English(9);
            if (column.right) {
                Text(ColumnRight(column), top + 10, cells[i], qrp::haRight);
            } else if (i != kCustomerColumn) {
                Text(ColumnLeft(column), top + 10, cells[i]);
            } else {
                // The English name is cut short of the Chinese one, as a report's text control is.
                const TRect room = Box(ColumnLeft(column), top, ColumnRight(column) - 260, top + kRow);
                Canvas().TextOut(X(ColumnLeft(column)), Y(top + 10), cells[i], {.Box = room, .Clip = true});
                Chinese(9);
                Text(ColumnRight(column) - 240, top + 10, customer.chinese);
            }
        }
    }

    void DrawGroupFooter(int top, const Group& group) {
        const Column& amount = kColumns[std::size(kColumns) - 1];
        const int left = ColumnLeft(amount) - 20;
        Rule(left, Right(), top + 8);
        English(9, true);
        Text(kMargin + 30, top + 22,
             std::string("Total ") + kRegions[group.region].english + ", " + std::to_string(group.invoices.size()) +
                 " invoices");
        Chinese(9, true);
        Text(kMargin + 700, top + 22, std::string(kRegions[group.region].chinese) + "合計");
        English(9, true);
        Text(ColumnRight(amount), top + 22, Money(group.Total()), qrp::haRight);
        Rule(left, Right(), top + 76);
        Rule(left, Right(), top + 86);
    }

    void DrawSummary(int top) {
        const int bottom = top + SummaryHeight() - 20;
        const int left = kMargin + (Right() - kMargin) / 3;
        Canvas().Pen = {kAccent, 2, qrp::psSolid};
        Canvas().Brush.Style = qrp::bsClear;
        Canvas().RoundRect(Box(left, top + 20, Right(), bottom), X(60) - X(0), Y(60) - Y(0));
        English(11, true, kAccent);
        Text(left + 40, top + 45, "Summary");
        Chinese(11, true, kAccent);
        Text(left + 330, top + 45, "總計");
        std::int64_t grand = 0;
        for (const Group& group : m_groups)
            grand += group.Total();
        int y = top + 130;
        for (const Group& group : m_groups) {
            English(9);
            Text(left + 40, y, kRegions[group.region].english);
            Chinese(9);
            Text(left + 330, y, kRegions[group.region].chinese);
            English(9);
            const std::int64_t share = grand ? group.Total() * 1000 / grand : 0;
            Text(Right() - 480, y, std::to_string(share / 10) + "." + std::to_string(share % 10) + " %", qrp::haRight);
            Text(Right() - 40, y, Money(group.Total()), qrp::haRight);
            y += kSummaryLine;
        }
        Rule(left + 30, Right() - 30, y - 5);
        English(10, true);
        Text(left + 40, y + 5, "Grand total");
        Chinese(10, true);
        Text(left + 330, y + 5, "總金額");
        English(10, true);
        Text(Right() - 40, y + 5, Money(grand), qrp::haRight);
    }

    void DrawPageFooter(int page, int pages) {
        const int top = m_length - kMargin - kPageFooter + 20;
        Rule(kMargin, Right(), top, 1, kAccent);
        English(8);
        Text(kMargin, top + 20, "Quarterly Sales Report, Q1 2024");
        Text(Right() - 420, top + 20, "Page " + std::to_string(page) + " of " + std::to_string(pages), qrp::haRight);
        Chinese(8);
        Text(Right(), top + 20, "第 " + std::to_string(page) + " 頁，共 " + std::to_string(pages) + " 頁",
             qrp::haRight);
    }

    TQRPrinter& m_doc;
    std::vector<Group> m_groups;
    int m_width = 0, m_length = 0;
};

}  // namespace

void RecordSalesReport(TQRPrinter& doc) {
    SalesReport(doc).Record();
}

}  // namespace sample
