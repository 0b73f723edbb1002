// Tests that draw or print through Qt need a QGuiApplication. Linking this global test
// environment makes one before the first test, headless unless a platform was chosen, and
// after the project's font configuration is in place (as the programs do).
#include <cstdlib>
#include <memory>

#include <QGuiApplication>

#include <gtest/gtest.h>

#include "render/font_setup.h"

namespace {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qrp::render::UseProjectFontConfig();
        if (const char* platform = std::getenv("QT_QPA_PLATFORM"); !platform || !*platform)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "qrp_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    std::unique_ptr<QGuiApplication> m_app;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
