// Qt's GUI classes (painting, fonts, printers) need an application object. Commands that
// use them start one: on the offscreen platform when there is no display, and after the
// project's font configuration, as the viewer does.
#pragma once

#include <memory>

#include <QGuiApplication>

namespace qrp::tool {

std::unique_ptr<QGuiApplication> StartGui();

}  // namespace qrp::tool
