#include "find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace qrp::app {

namespace {

// How long typing must pause before the text is searched: short, since a new query
// cancels a search between two pages, and the first match is due 100 ms after the pause
// began.
constexpr int kTypingPauseMs = 60;

QToolButton* BarButton(QWidget* parent, Qt::ArrowType arrow, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(new QLabel(QStringLiteral("Find:"), this));
    Field = new QLineEdit(this);
    Field->setClearButtonEnabled(true);
    Field->setMinimumWidth(220);
    Field->installEventFilter(this);
    layout->addWidget(Field);
    PreviousButton = BarButton(this, Qt::UpArrow, QStringLiteral("Previous match (Shift+F3)"));
    NextButton = BarButton(this, Qt::DownArrow, QStringLiteral("Next match (F3)"));
    layout->addWidget(PreviousButton);
    layout->addWidget(NextButton);
    MatchCase = new QCheckBox(QStringLiteral("Match case"), this);
    WholeWords = new QCheckBox(QStringLiteral("Whole words"), this);
    layout->addWidget(MatchCase);
    layout->addWidget(WholeWords);
    Counter = new QLabel(this);
    Counter->setMinimumWidth(160);
    layout->addWidget(Counter);
    layout->addStretch(1);
    CloseButton = new QToolButton(this);
    CloseButton->setText(QStringLiteral("×"));
    CloseButton->setAutoRaise(true);
    CloseButton->setToolTip(QStringLiteral("Close the find bar (Escape)"));
    CloseButton->setAccessibleName(CloseButton->toolTip());
    layout->addWidget(CloseButton);

    m_pause.setSingleShot(true);
    m_pause.setInterval(kTypingPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &FindBar::SearchRequested);
    connect(Field, &QLineEdit::textChanged, &m_pause, qOverload<>(&QTimer::start));
    for (QCheckBox* option : {MatchCase, WholeWords})
        connect(option, &QCheckBox::toggled, &m_pause, qOverload<>(&QTimer::start));
    connect(PreviousButton, &QToolButton::clicked, this, &FindBar::PreviousRequested);
    connect(NextButton, &QToolButton::clicked, this, &FindBar::NextRequested);
    connect(CloseButton, &QToolButton::clicked, this, &FindBar::Close);
    hide();
}

void FindBar::Open() {
    show();
    Field->setFocus(Qt::ShortcutFocusReason);
    Field->selectAll();
}

void FindBar::Open(const QString& text) {
    Open();
    const QSignalBlocker quiet(Field);
    Field->setText(text);
    m_pause.stop();
    emit SearchRequested();
}

QString FindBar::Text() const {
    return Field->text();
}

exporter::SearchOptions FindBar::Options() const {
    return {MatchCase->isChecked(), WholeWords->isChecked()};
}

void FindBar::ShowCount(std::size_t current, std::size_t total, std::int32_t searched, std::int32_t pages,
                        bool running) {
    QString text;
    if (total > 0)
        text = QStringLiteral("%1 of %2").arg(current).arg(total);
    else if (!running && !Field->text().isEmpty())
        text = QStringLiteral("No matches");
    if (running && pages > 0)
        text += (text.isEmpty() ? QString() : QStringLiteral(", ")) +
                QStringLiteral("searching page %1 of %2").arg(searched).arg(pages);
    Counter->setText(text);
}

void FindBar::ShowError(const QString& text) {
    Counter->setText(text);
}

void FindBar::Close() {
    m_pause.stop();
    hide();
    emit Closed();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Text still waiting for the pause is searched at once; its first match is shown
            // when found, so Enter steps only through the matches of a finished query.
            if (m_pause.isActive()) {
                m_pause.stop();
                emit SearchRequested();
            } else if (key->modifiers() & Qt::ShiftModifier) {
                emit PreviousRequested();
            } else {
                emit NextRequested();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace qrp::app
