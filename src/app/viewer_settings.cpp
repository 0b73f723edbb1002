#include "viewer_settings.h"

#include <algorithm>

#include <QFile>
#include <QSettings>

namespace qrp::app::settings {

namespace {

const QString kRecentKey = QStringLiteral("recent/files");
const QString kRecentPath = QStringLiteral("path");
const QString kRecentPage = QStringLiteral("page");
const QString kGeometry = QStringLiteral("window/geometry");
const QString kZoomMode = QStringLiteral("window/zoom");
const QString kThumbnails = QStringLiteral("window/thumbnails");

QSettings Store() {
    return {QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qrpview"), QStringLiteral("qrpview")};
}

QString FolderKey(FileDialogKind dialog) {
    return dialog == FileDialogKind::Load ? QStringLiteral("folders/load") : QStringLiteral("folders/save");
}

void WriteRecentFiles(const std::vector<RecentFile>& files) {
    QSettings store = Store();
    store.beginWriteArray(kRecentKey, static_cast<int>(files.size()));
    for (int i = 0; i < static_cast<int>(files.size()); ++i) {
        store.setArrayIndex(i);
        // Paths are bytes: kept as such, a name in any encoding comes back unchanged.
        store.setValue(kRecentPath, QByteArray::fromStdString(files[i].path));
        store.setValue(kRecentPage, files[i].page);
    }
    store.endArray();
}

}  // namespace

std::vector<RecentFile> RecentFiles() {
    QSettings store = Store();
    std::vector<RecentFile> files;
    const int count = store.beginReadArray(kRecentKey);
    for (int i = 0; i < count && files.size() < kRecentFiles; ++i) {
        store.setArrayIndex(i);
        const std::string path = store.value(kRecentPath).toByteArray().toStdString();
        if (!path.empty())
            files.push_back({path, std::max(1, store.value(kRecentPage, 1).toInt())});
    }
    store.endArray();
    return files;
}

void AddRecentFile(const std::string& path, std::int32_t page) {
    std::vector<RecentFile> files = RecentFiles();
    std::erase_if(files, [&path](const RecentFile& file) { return file.path == path; });
    files.insert(files.begin(), {path, page});
    if (files.size() > kRecentFiles)
        files.resize(kRecentFiles);
    WriteRecentFiles(files);
}

void SetRecentPage(const std::string& path, std::int32_t page) {
    std::vector<RecentFile> files = RecentFiles();
    const auto found = std::ranges::find(files, path, &RecentFile::path);
    if (found == files.end() || found->page == page)
        return;
    found->page = page;
    WriteRecentFiles(files);
}

void RemoveRecentFile(const std::string& path) {
    std::vector<RecentFile> files = RecentFiles();
    if (std::erase_if(files, [&path](const RecentFile& file) { return file.path == path; }) > 0)
        WriteRecentFiles(files);
}

QByteArray WindowGeometry() {
    return Store().value(kGeometry).toByteArray();
}

void SetWindowGeometry(const QByteArray& geometry) {
    Store().setValue(kGeometry, geometry);
}

RememberedZoom ZoomMode() {
    const int mode = Store().value(kZoomMode, 0).toInt();
    return mode == 1 ? RememberedZoom::Actual : mode == 2 ? RememberedZoom::FitWidth : RememberedZoom::FitPage;
}

void SetZoomMode(RememberedZoom mode) {
    Store().setValue(kZoomMode, static_cast<int>(mode));
}

bool ThumbnailsShown() {
    return Store().value(kThumbnails, false).toBool();
}

void SetThumbnailsShown(bool shown) {
    Store().setValue(kThumbnails, shown);
}

std::string LastFolder(FileDialogKind dialog) {
    return Store().value(FolderKey(dialog)).toByteArray().toStdString();
}

void SetLastFolder(FileDialogKind dialog, const std::string& folder) {
    Store().setValue(FolderKey(dialog), QByteArray::fromStdString(folder));
}

}  // namespace qrp::app::settings
