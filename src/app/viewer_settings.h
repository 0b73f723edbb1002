// What the viewer remembers between runs, in the user's settings file
// (~/.config/qrpview/qrpview.conf): the recent reports with the page each was left at, the
// window's geometry, the zoom mode, whether the thumbnail panel is shown, and the folder
// each file dialog was last left in.
//
// The names are fixed rather than taken from the running application, so a host program's
// viewer windows (whose QApplication may carry the host's own names) share the one file of
// the viewer program: the user meets the same recent list and panel wherever the viewer
// appears. Every read and write opens the file anew, so two viewers running at once see
// each other's changes instead of overwriting them with a stale copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QByteArray>

namespace qrp::app {

struct RecentFile {
    std::string path;  // local 8-bit path, as the report library takes it
    std::int32_t page = 1;
};

enum class RememberedZoom : std::uint8_t { FitPage, Actual, FitWidth };

enum class FileDialogKind : std::uint8_t { Load, Save };

namespace settings {

inline constexpr std::size_t kRecentFiles = 10;

// Most recent first, at most kRecentFiles.
std::vector<RecentFile> RecentFiles();
// Moves `path` to the front with `page`, dropping the oldest beyond the limit.
void AddRecentFile(const std::string& path, std::int32_t page);
// Keeps the place in the list and updates the page; nothing when `path` is not listed.
void SetRecentPage(const std::string& path, std::int32_t page);
void RemoveRecentFile(const std::string& path);

QByteArray WindowGeometry();
void SetWindowGeometry(const QByteArray& geometry);

RememberedZoom ZoomMode();
void SetZoomMode(RememberedZoom mode);

bool ThumbnailsShown();
void SetThumbnailsShown(bool shown);

// Empty when the dialog has not been used yet.
std::string LastFolder(FileDialogKind dialog);
void SetLastFolder(FileDialogKind dialog, const std::string& folder);

}  // namespace settings

}  // namespace qrp::app
