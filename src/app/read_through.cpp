#include "read_through.h"

#include <cstdlib>

#include <QScrollBar>

namespace qrp::app {

namespace {

// One notch of a mouse wheel. Touchpads send many small steps: the page turns only after a
// notch's worth has pushed against its end, so a flick does not race through pages.
constexpr int kNotch = 120;

}  // namespace

ReadThrough::ReadThrough(QScrollBar& bar, std::function<bool(int)> turn) : m_bar(bar), m_turn(std::move(turn)) {}

bool ReadThrough::Wheel(int delta) {
    const int direction = delta < 0 ? +1 : -1;
    const bool atEnd = direction > 0 ? m_bar.value() >= m_bar.maximum() : m_bar.value() <= m_bar.minimum();
    if (delta == 0 || !atEnd) {
        m_pushed = 0;
        return false;
    }
    // A push in the other direction starts over.
    if ((m_pushed < 0) != (delta < 0))
        m_pushed = 0;
    m_pushed += delta;
    if (std::abs(m_pushed) < kNotch)
        return true;
    m_pushed = 0;
    TurnAtEnd(direction);
    return true;
}

void ReadThrough::Step(int direction) {
    m_pushed = 0;
    const bool atEnd = direction > 0 ? m_bar.value() >= m_bar.maximum() : m_bar.value() <= m_bar.minimum();
    if (atEnd)
        TurnAtEnd(direction);
    else
        m_bar.setValue(m_bar.value() + direction * m_bar.pageStep());
}

void ReadThrough::TurnAtEnd(int direction) {
    // A new page shows its top; coming back, the reader continues from its bottom.
    if (m_turn(direction) && direction < 0)
        m_bar.setValue(m_bar.maximum());
}

}  // namespace qrp::app
