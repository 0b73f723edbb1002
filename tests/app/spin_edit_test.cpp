#include "app/spin_edit.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "viewer_fixture.h"

namespace qrp::test {
namespace {

using app::TSpinEdit;

// A spin edit that logs the text at every change event.
struct LoggedEdit {
    LoggedEdit(std::int32_t min, std::int32_t max, std::int32_t increment = 1) {
        edit.SetMinValue(min);
        edit.SetMaxValue(max);
        edit.SetIncrement(increment);
        edit.OnChange = [this] { changes.push_back(edit.Text()); };
    }
    TSpinEdit edit;
    QStringList changes;
};

TEST(SpinEdit, ReadsTheTextUnclampedAndWhatDoesNotParseAsMinValue) {
    LoggedEdit e(10, 300);
    e.edit.Editor().setText(QStringLiteral("5000"));
    EXPECT_EQ(e.edit.Value(), 5000);
    for (const char* text : {"", "abc", "+", "-", "1.5", "++3", "+-3", "99999999999", "12a"}) {
        e.edit.Editor().setText(QString::fromLatin1(text));
        EXPECT_EQ(e.edit.Value(), 10) << text;
    }
    e.edit.Editor().setText(QStringLiteral("+7"));
    EXPECT_EQ(e.edit.Value(), 7);
    e.edit.Editor().setText(QStringLiteral("-3"));
    EXPECT_EQ(e.edit.Value(), -3);
}

TEST(SpinEdit, WritingClampsToTheRange) {
    LoggedEdit e(10, 300);
    e.edit.SetValue(5);
    EXPECT_EQ(e.edit.Text(), "10");
    e.edit.SetValue(5000);
    EXPECT_EQ(e.edit.Text(), "300");
    e.edit.SetValue(120);
    EXPECT_EQ(e.edit.Text(), "120");
}

TEST(SpinEdit, MinimumAboveMaximumEndsAtTheMaximumUnlessBelowTheMinimum) {
    LoggedEdit e(1, 0);
    e.edit.SetValue(1);
    EXPECT_EQ(e.edit.Text(), "0");
    e.edit.SetValue(7);
    EXPECT_EQ(e.edit.Text(), "0");
    e.edit.SetValue(-5);
    EXPECT_EQ(e.edit.Text(), "1");
}

TEST(SpinEdit, EqualMinimumAndMaximumClampNothing) {
    LoggedEdit e(1, 1);
    e.edit.SetValue(1);
    e.edit.UpButton().click();
    EXPECT_EQ(e.edit.Text(), "2");
    e.edit.SetValue(-40);
    EXPECT_EQ(e.edit.Text(), "-40");
}

TEST(SpinEdit, EveryTextChangeRaisesOneEventBeforeTheWriteReturns) {
    LoggedEdit e(10, 300);
    e.edit.SetValue(100);
    EXPECT_EQ(e.changes, QStringList{"100"});
    e.edit.SetValue(100);
    e.edit.SetValue(400);  // clamps to 300
    e.edit.SetValue(300);  // same text: no event
    EXPECT_EQ(e.changes, (QStringList{"100", "300"}));
    e.changes.clear();
    e.edit.Editor().selectAll();
    QTest::keyClicks(&e.edit.Editor(), QStringLiteral("25"));
    EXPECT_EQ(e.changes, (QStringList{"2", "25"}));
}

TEST(SpinEdit, RefusesKeysOtherThanDigitsSignsDecimalSeparatorAndControlKeys) {
    LoggedEdit e(0, 100);
    e.edit.Editor().setText(QString());
    QTest::keyClicks(&e.edit.Editor(), QStringLiteral("a1x+-. "));
    QTest::keyClick(&e.edit.Editor(), Qt::Key_Return);
    QTest::keyClick(&e.edit.Editor(), Qt::Key_Enter);
    EXPECT_EQ(e.edit.Text(), QStringLiteral("1+-") + QLocale().decimalPoint());
    QTest::keyClick(&e.edit.Editor(), Qt::Key_Backspace);
    EXPECT_EQ(e.edit.Text(), "1+-");
}

TEST(SpinEdit, ButtonsAndArrowKeysStepByTheIncrement) {
    LoggedEdit e(10, 300, 10);
    e.edit.SetValue(100);
    e.edit.UpButton().click();
    EXPECT_EQ(e.edit.Text(), "110");
    QTest::keyClick(&e.edit.Editor(), Qt::Key_Down);
    QTest::keyClick(&e.edit.Editor(), Qt::Key_Down);
    EXPECT_EQ(e.edit.Text(), "90");
    QTest::keyClick(&e.edit.Editor(), Qt::Key_Up);
    EXPECT_EQ(e.edit.Text(), "100");
    e.edit.SetValue(300);
    e.edit.UpButton().click();
    EXPECT_EQ(e.edit.Text(), "300");
    e.edit.SetValue(std::numeric_limits<std::int32_t>::max());
    e.edit.SetMaxValue(std::numeric_limits<std::int32_t>::max());
    e.edit.Editor().setText(QString::number(std::numeric_limits<std::int32_t>::max()));
    e.edit.UpButton().click();  // saturates instead of wrapping round
    EXPECT_EQ(e.edit.Value(), std::numeric_limits<std::int32_t>::max());
}

TEST(SpinEdit, LeavingTheFieldWritesBackTheClampedValueOnlyWhenItDiffers) {
    LoggedEdit e(10, 300);
    e.edit.Editor().setText(QStringLiteral("5"));
    e.changes.clear();
    LeaveField(e.edit);
    EXPECT_EQ(e.edit.Text(), "10");
    EXPECT_EQ(e.changes, QStringList{"10"});
    // Empty text reads as the minimum, which needs no clamping: it stays empty.
    e.edit.Editor().setText(QString());
    e.changes.clear();
    LeaveField(e.edit);
    EXPECT_EQ(e.edit.Text(), "");
    EXPECT_TRUE(e.changes.isEmpty());
}

}  // namespace
}  // namespace qrp::test
