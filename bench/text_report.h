// A text-heavy report for the printing benchmarks (every page 50 ruled rows of five
// columns, as a detail band fills it), and the memory they watch.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "emf/emf_format.h"
#include "emf/recorder.h"
#include "report/page_list.h"

namespace qrp::bench {

inline std::vector<std::uint8_t> TextPage(int number) {
    using namespace qrp::emf;
    Recorder page(794, 1123, ReferenceDevice::Screen(1920, 1080, 96));
    const std::uint32_t font = page.CreateFont({.height = -12, .faceName = u"Arial"});
    const std::uint32_t pen = page.CreatePen(kPsSolid, 1, {160, 160, 160});
    page.SelectObject(font);
    page.SelectObject(pen);
    page.SetBkMode(kTransparent);
    for (int row = 0; row < 50; ++row) {
        const std::int32_t y = 60 + 20 * row;
        for (int column = 0; column < 5; ++column) {
            const std::string text = "Item " + std::to_string(number * 100 + row) + "/" + std::to_string(column);
            page.ExtTextOut(50 + 140 * column, y, std::u16string(text.begin(), text.end()));
        }
        page.MoveTo(50, y + 17);
        page.LineTo(744, y + 17);
    }
    return page.Finish();
}

// packed: as a report saved with compression on. Pages are numbered from firstNumber on, so
// that every page of an archive has its own items.
inline void WriteTextReport(const std::filesystem::path& path, int pages, bool packed = false, int firstNumber = 1) {
    qrp::TQRPageList list;
    list.SetCompression(packed);
    list.AttachStream(std::make_unique<qrp::TQRStream>(100000));
    for (int n = 0; n < pages; ++n)
        list.AppendPage(*qrp::PagePicture::FromBytes(TextPage(firstNumber + n)));
    list.Finish();
    list.SaveCopy(path.string());
}

// An archive as people keep one: a folder per month of 100 packed reports each,
// <dir>/01/report-0001.qrp on; report r's items are "Item <page number>..." with pages
// numbered through the whole archive, so "Item 4242/" is on one page of one report.
inline void WriteTextArchive(const std::filesystem::path& dir, int reports, int pages) {
    for (int r = 0; r < reports; ++r) {
        char folder[16], name[32];
        std::snprintf(folder, sizeof folder, "%02d", r / 100 + 1);
        std::snprintf(name, sizeof name, "report-%04d.qrp", r + 1);
        std::filesystem::create_directories(dir / folder);
        WriteTextReport(dir / folder / name, pages, true, r * pages + 1);
    }
}

// The process's resident memory now.
inline long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace qrp::bench
