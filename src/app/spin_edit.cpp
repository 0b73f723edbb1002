#include "spin_edit.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>

namespace qrp::app {

namespace {

constexpr int kButtonWidth = 13;

// A decimal integer with an optional sign and nothing else; none when it does not fit.
std::optional<std::int32_t> ParseInteger(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && (*begin == '+' || *begin == '-'))
            return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

}  // namespace

TSpinEdit::TSpinEdit(QWidget* parent) : QWidget(parent) {
    m_editor = new QLineEdit(this);
    m_editor->setText(QStringLiteral("0"));
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    for (QToolButton* button : {m_up, m_down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setIconSize(QSize(7, 4));
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    setFocusProxy(m_editor);
    setFocusPolicy(Qt::StrongFocus);
    m_editor->installEventFilter(this);
    // Synchronous: the handler runs inside the change, typed or written.
    connect(m_editor, &QLineEdit::textChanged, this, [this] {
        if (OnChange)
            OnChange();
    });
    connect(m_up, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

std::int32_t TSpinEdit::Value() const {
    return ParseInteger(m_editor->text()).value_or(m_minValue);
}

std::int32_t TSpinEdit::CheckValue(std::int32_t value) const {
    if (m_minValue == m_maxValue)
        return value;
    if (value < m_minValue)
        return m_minValue;
    if (value > m_maxValue)
        return m_maxValue;
    return value;
}

void TSpinEdit::SetValue(std::int32_t value) {
    const QString text = QString::number(CheckValue(value));
    if (text != m_editor->text())
        m_editor->setText(text);
}

QString TSpinEdit::Text() const {
    return m_editor->text();
}

void TSpinEdit::Step(std::int32_t direction) {
    // 64-bit, so stepping past the ends of the integer range saturates instead of wrapping.
    const std::int64_t next = std::int64_t{Value()} + std::int64_t{direction} * m_increment;
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    SetValue(static_cast<std::int32_t>(std::clamp(next, lowest, highest)));
}

bool TSpinEdit::RefusesKey(const QString& text) const {
    if (text.isEmpty())
        return false;  // navigation and modifier keys carry no text
    const QChar c = text.front();
    if (c == u'\r' || c == u'\n')
        return true;
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
        return false;
    return !((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == QLocale().decimalPoint().front());
}

bool TSpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
                Step(key->key() == Qt::Key_Up ? +1 : -1);
                return true;
            }
            if (RefusesKey(key->text())) {
                QApplication::beep();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            const std::int32_t read = Value();
            if (CheckValue(read) != read)
                SetValue(CheckValue(read));
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TSpinEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int editWidth = std::max(0, width() - kButtonWidth);
    const int upHeight = height() / 2;
    m_editor->setGeometry(0, 0, editWidth, height());
    m_up->setGeometry(editWidth, 0, kButtonWidth, upHeight);
    m_down->setGeometry(editWidth, upHeight, kButtonWidth, height() - upHeight);
}

}  // namespace qrp::app
