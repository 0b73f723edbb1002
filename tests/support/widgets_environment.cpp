// The QApplication of the tests that show widgets.
#include <QApplication>

#include "qt_environment.h"

namespace {
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new qrp::test::QtEnvironment<QApplication>);
}
