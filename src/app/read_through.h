// Reading a report straight through with the wheel or Space: scrolling down past the bottom
// of a page goes on to the top of the next one, scrolling up past the top back to the
// bottom of the previous one. The pages are turned by the window's own commands.
#pragma once

#include <functional>

class QScrollBar;

namespace qrp::app {

class ReadThrough {
  public:
    // turn(+1) shows the next page, turn(-1) the previous one; each returns whether the page
    // changed. The scroll bar is the preview's vertical one.
    ReadThrough(QScrollBar& bar, std::function<bool(int direction)> turn);

    // A wheel turn of `delta` eighths of a degree (positive away from the user, upward).
    // Returns true when it turned the page (the event is then used up).
    bool Wheel(int delta);
    // Space (+1) and Shift+Space (-1): a screen on, or the next page at the end.
    void Step(int direction);

  private:
    // At the end the scroll points to, the page turns; arriving at the previous page, the
    // view shows its bottom.
    void TurnAtEnd(int direction);

    QScrollBar& m_bar;
    std::function<bool(int)> m_turn;
    int m_pushed = 0;  // wheel turned against the end of the page, in eighths of a degree
};

}  // namespace qrp::app
