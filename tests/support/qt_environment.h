// Tests that draw, print or show widgets through Qt need an application object. A global
// test environment of this kind makes one before the first test, headless unless a
// platform was chosen, and after the project's font configuration is in place (as the
// programs do). qt_environment.cpp registers a QGuiApplication, widgets_environment.cpp a
// QApplication; a test binary links one of them.
#pragma once

#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

#include "render/font_setup.h"

namespace qrp::test {

template <typename Application>
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qrp::render::UseProjectFontConfig();
        if (const char* platform = std::getenv("QT_QPA_PLATFORM"); !platform || !*platform)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "qrp_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<Application>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    std::unique_ptr<Application> m_app;
};

}  // namespace qrp::test
