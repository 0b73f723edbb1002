// Qt's GUI classes (painting, fonts, printers) need an application object. Commands that
// use them start one: on the offscreen platform when there is no display, and after the
// project's font configuration, as the viewer does.
#pragma once

#include <QGuiApplication>

namespace qrp::tool {

// The application, made on the first call. It lives until the process ends and is never
// destroyed: a command runs once, and tearing Qt's font database down at exit loads the
// whole fontconfig configuration when no text was drawn (tens of milliseconds, more than
// most pages take to draw).
QGuiApplication& StartGui();

}  // namespace qrp::tool
