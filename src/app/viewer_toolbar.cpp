// The viewer window's components: the toolbar with its fixed layout, fonts, icons and
// tooltips, the preview below it (the thumbnail panel beside it), the wiring of the
// handlers, and the keyboard shortcuts.
#include <QButtonGroup>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include "export/csv_filter.h"
#include "export/html_filter.h"
#include "export/text_filter.h"
#include "export/xlsx_filter.h"
#include "preview/preview.h"
#include "spin_edit.h"
#include "viewer_window.h"

namespace qrp::app {

namespace {

constexpr int kPanelHeight = 25;
constexpr int kButtonHeight = 23;
constexpr int kSpinEditHeight = 24;

QFont FontOf(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A flat toolbar button showing one icon; it never takes the keyboard focus.
QToolButton* SpeedButton(QWidget* panel, int left, int width, const QString& icon, const QString& hint) {
    auto* button = new QToolButton(panel);
    button->setGeometry(left, 0, width, kButtonHeight);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (!icon.isEmpty())
        button->setIcon(QIcon(QStringLiteral(":/icons/") + icon + QStringLiteral(".svg")));
    button->setIconSize(QSize(18, 18));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    return button;
}

// An icon with its own greyed image for the disabled state.
QIcon TwoStateIcon(const QString& name) {
    QIcon icon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
    icon.addFile(QStringLiteral(":/icons/") + name + QStringLiteral("_disabled.svg"), QSize(), QIcon::Disabled);
    return icon;
}

QLabel* Label(QWidget* panel, const QRect& geometry, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, panel);
    label->setGeometry(geometry);
    label->setFont(font);
    return label;
}

}  // namespace

void TTav_FolivexFrm::BuildComponents() {
    resize(762, 612);
    setFont(FontOf(QStringLiteral("MS Sans Serif"), 11));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setAcceptDrops(true);

    Panel1 = new QWidget(this);
    Panel1->setFixedHeight(kPanelHeight);
    QRPreview = new preview::TQRPreview(this);
    QRPreview->setBackgroundRole(QPalette::Button);
    QRPreview->viewport()->setBackgroundRole(QPalette::Button);
    QRPreview->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);

    const QFont ming = FontOf(QStringLiteral("細明體"), 15);
    Label1 = Label(Panel1, QRect(11, 4, 24, 17), QStringLiteral("頁:"), ming);
    sePage = new TSpinEdit(Panel1);
    sePage->setGeometry(37, 0, 41, kSpinEditHeight);
    sePage->setFont(ming);
    sePage->setToolTip(QStringLiteral("跳頁"));
    Label1->setBuddy(sePage);

    sbFirstPage = SpeedButton(Panel1, 88, 24, QStringLiteral("first_page"), QStringLiteral("Go to the first page"));
    sbPreviousPage =
        SpeedButton(Panel1, 112, 25, QStringLiteral("previous_page"), QStringLiteral("Go to the previous page"));
    sbNextPage = SpeedButton(Panel1, 137, 26, QStringLiteral("next_page"), QStringLiteral("Go to the next page"));
    sbLastPage = SpeedButton(Panel1, 163, 25, QStringLiteral("last_page"), QStringLiteral("Go to the last page"));

    const QString zoomHint = QStringLiteral("Zoom to the specified percentage");
    Label3 = Label(Panel1, QRect(195, 4, 40, 17), QStringLiteral("縮放:"), ming);
    Label3->setToolTip(zoomHint);
    seZoom = new TSpinEdit(Panel1);
    seZoom->setGeometry(234, 0, 45, kSpinEditHeight);
    seZoom->setFont(ming);
    seZoom->setToolTip(zoomHint);
    seZoom->SetMinValue(10);
    seZoom->SetMaxValue(300);
    seZoom->SetIncrement(10);
    seZoom->SetValue(100);
    Label3->setBuddy(seZoom);

    ZoomToFit = SpeedButton(Panel1, 291, 26, QStringLiteral("zoom_fit"), QStringLiteral("Zoom to fit"));
    ZoomTo100 = SpeedButton(Panel1, 317, 24, QStringLiteral("zoom_100"), QStringLiteral("Zoom to 100%"));
    ZoomToWidth = SpeedButton(Panel1, 344, 25, QStringLiteral("zoom_width"), QStringLiteral("Zoom to page width"));
    ZoomGroup = new QButtonGroup(this);
    ZoomGroup->setExclusive(true);
    for (QToolButton* button : {ZoomToFit, ZoomTo100, ZoomToWidth}) {
        button->setCheckable(true);
        ZoomGroup->addButton(button);
    }
    ZoomTo100->setChecked(true);

    sb_Layout = SpeedButton(Panel1, 371, 25, QString(), QStringLiteral("Landscape or Portrait"));
    sb_Layout->setIcon(TwoStateIcon(QStringLiteral("layout")));
    sb_Layout->setIconSize(QSize(16, 16));
    PrintSetup = SpeedButton(Panel1, 397, 26, QStringLiteral("printer_setup"), QStringLiteral("Printer setup"));
    Print = SpeedButton(Panel1, 424, 25, QStringLiteral("print"), QStringLiteral("Print"));
    // These two show no tooltip; the hint of Load stays for assistive tools only.
    Load = SpeedButton(Panel1, 451, 26, QStringLiteral("load"), QString());
    Load->setAccessibleName(QStringLiteral("Load a saved report"));
    Save = SpeedButton(Panel1, 478, 26, QStringLiteral("save"), QString());
    Save->setAccessibleName(QStringLiteral("Save"));

    BitBtnExit = new QPushButton(TwoStateIcon(QStringLiteral("exit")), QStringLiteral("E&xit"), Panel1);
    BitBtnExit->setGeometry(519, 0, 57, kButtonHeight);
    BitBtnExit->setIconSize(QSize(20, 20));
    BitBtnExit->setToolTip(QStringLiteral("Exit the report preview"));

    Label2 =
        Label(Panel1, QRect(592, 5, 56, 15), QStringLiteral("Ver. 70"), FontOf(QStringLiteral("標楷體"), 13, true));
    // On the button-face panel a label would draw in the button text colour.
    Label2->setForegroundRole(QPalette::WindowText);
    QPalette red = Label2->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label2->setPalette(red);

    sbThumbnails = SpeedButton(Panel1, 656, 26, QStringLiteral("thumbnails"), QStringLiteral("Page thumbnails (F4)"));
    sbRecent = SpeedButton(Panel1, 684, 34, QStringLiteral("recent"), QStringLiteral("Recent reports"));
    layout->addWidget(BuildPageTools(), 1);  // the preview, with the thumbnails beside it

    setTabOrder(sePage, seZoom);
    setTabOrder(seZoom, BitBtnExit);
    setTabOrder(BitBtnExit, QRPreview);

    QRTextFilter1 = std::make_unique<exporter::TQRTextFilter>();
    QRCSVFilter1 = std::make_unique<exporter::TQRCSVFilter>();
    QRCSVFilter1->SetSeparator(',');
    QRHTMLFilter1 = std::make_unique<exporter::TQRHTMLFilter>();
    QRXLSXFilter1 = std::make_unique<exporter::TQRXLSXFilter>();

    Wire(sbFirstPage, &TTav_FolivexFrm::sbFirstPageClick);
    Wire(sbPreviousPage, &TTav_FolivexFrm::sbPreviousPageClick);
    Wire(sbNextPage, &TTav_FolivexFrm::sbNextPageClick);
    Wire(sbLastPage, &TTav_FolivexFrm::sbLastPageClick);
    Wire(ZoomToFit, &TTav_FolivexFrm::ZoomToFitClick);
    Wire(ZoomTo100, &TTav_FolivexFrm::ZoomTo100Click);
    Wire(ZoomToWidth, &TTav_FolivexFrm::ZoomToWidthClick);
    Wire(sb_Layout, &TTav_FolivexFrm::sb_LayoutClick);
    Wire(PrintSetup, &TTav_FolivexFrm::PrintSetupClick);
    Wire(Print, &TTav_FolivexFrm::PrintClick);
    Wire(Load, &TTav_FolivexFrm::LoadClick);
    Wire(Save, &TTav_FolivexFrm::SaveClick);
    connect(BitBtnExit, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtnExitClick(); }); });
    sePage->OnChange = [this] { Guarded([this] { sePageChange(); }); };
    seZoom->OnChange = [this] { Guarded([this] { seZoomChange(); }); };
    QRPreview->OnPageAvailable = [this](preview::TQRPreview& sender, std::int32_t pageNum) {
        Guarded([&] { QRPreviewPageAvailable(sender, pageNum); });
    };
}

void TTav_FolivexFrm::Wire(QToolButton* button, void (TTav_FolivexFrm::*handler)()) {
    connect(button, &QToolButton::clicked, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
}

void TTav_FolivexFrm::BuildShortcuts() {
    const auto bind = [this](const QKeySequence& keys, std::function<void()> action) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, action = std::move(action)] { Guarded(action); });
    };
    bind(QKeySequence(Qt::Key_PageUp), [this] { sbPreviousPageClick(); });
    bind(QKeySequence(Qt::Key_PageDown), [this] { sbNextPageClick(); });
    bind(QKeySequence(Qt::Key_Home), [this] { sbFirstPageClick(); });
    bind(QKeySequence(Qt::Key_End), [this] { sbLastPageClick(); });
    bind(QKeySequence::Open, [this] { LoadClick(); });
    bind(QKeySequence::Save, [this] { SaveClick(); });
    bind(QKeySequence::Print, [this] { PrintClick(); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { StepZoom(+1); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { StepZoom(+1); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { StepZoom(-1); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ZoomTo100->click(); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
    bind(QKeySequence(Qt::Key_F4), [this] { sbThumbnails->toggle(); });
    bind(QKeySequence(Qt::Key_Space), [this] { ReadOn(+1); });
    bind(QKeySequence(Qt::SHIFT | Qt::Key_Space), [this] { ReadOn(-1); });
}

}  // namespace qrp::app
