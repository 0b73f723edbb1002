// The project's font configuration: report pages name Windows fonts (Arial, 細明體, ...),
// and data/fonts/qrpview-fonts.conf maps them to installed fonts with the same metrics.
//
// Fontconfig reads its configuration once, when Qt first asks for a font, so a program
// calls UseProjectFontConfig() first thing in main(), before the QGuiApplication exists.
#pragma once

#include <filesystem>
#include <optional>

namespace qrp::render {

// The configuration file: installed beside the program or the viewer library
// (<prefix>/share/qrpview/fonts/), else the source tree's copy (a build that is run where it was built); none when
// neither exists.
std::optional<std::filesystem::path> ProjectFontConfig();

// Points FONTCONFIG_FILE at ProjectFontConfig() unless the variable is already set (a
// user's or packager's choice wins). Returns the file now in effect, if any.
std::optional<std::filesystem::path> UseProjectFontConfig();

}  // namespace qrp::render
