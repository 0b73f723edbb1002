// The spin edit of the viewer's toolbar: an integer held as the text of a one-line edit,
// with up and down buttons. It behaves as the window's handlers expect, which is not how
// QSpinBox behaves:
//
//  - Value parses the text as a decimal integer, unclamped; text that does not parse reads
//    as MinValue.
//  - SetValue clamps (below MinValue gives MinValue, otherwise above MaxValue gives
//    MaxValue; nothing is clamped when the two are equal), so with MinValue above MaxValue
//    every value ends at MaxValue. The text is replaced only when it differs.
//  - Every change of the text, typed or written, calls OnChange once, before the change
//    returns.
//  - The buttons and the Up and Down keys write Value plus or minus Increment.
//  - Typed characters other than digits, "+", "-", the decimal separator and control keys
//    (Enter excepted) are refused with a beep.
//  - Leaving the field writes the clamped value back when it differs from the value read.
#pragma once

#include <cstdint>
#include <functional>

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace qrp::app {

class TSpinEdit : public QWidget {
    Q_OBJECT
  public:
    using TNotifyEvent = std::function<void()>;

    explicit TSpinEdit(QWidget* parent = nullptr);

    std::int32_t MinValue() const { return m_minValue; }
    void SetMinValue(std::int32_t value) { m_minValue = value; }
    std::int32_t MaxValue() const { return m_maxValue; }
    void SetMaxValue(std::int32_t value) { m_maxValue = value; }
    std::int32_t Increment() const { return m_increment; }
    void SetIncrement(std::int32_t value) { m_increment = value; }

    std::int32_t Value() const;
    void SetValue(std::int32_t value);
    // The value SetValue would write for `value`.
    std::int32_t CheckValue(std::int32_t value) const;

    QString Text() const;
    QLineEdit& Editor() const { return *m_editor; }
    QToolButton& UpButton() const { return *m_up; }
    QToolButton& DownButton() const { return *m_down; }

    TNotifyEvent OnChange;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Step(std::int32_t direction);
    bool RefusesKey(const QString& text) const;

    QLineEdit* m_editor = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    std::int32_t m_minValue = 0;
    std::int32_t m_maxValue = 0;
    std::int32_t m_increment = 1;
};

}  // namespace qrp::app
