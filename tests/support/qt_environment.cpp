// The QGuiApplication of the tests that draw or print.
#include "qt_environment.h"

#include <QGuiApplication>

namespace {
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new qrp::test::QtEnvironment<QGuiApplication>);
}
