// Drives filters through the page protocol for the export tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/export_filter.h"
#include "report/memory_stream.h"
#include "support/short_stream.h"
#include "support/test_paths.h"

namespace qrp::exporter::test {

struct Item {
    long double X;
    long double Y;
    std::string Text;
    TAlignment Alignment = taLeftJustify;
    TFont Font = {};
};
using Page = std::vector<Item>;

// What a driver does for a report of these pages: BeginExport, per page FinishPage,
// BeginPage and the page's texts, then the last FinishPage (left out when cancelled)
// and EndExport.
inline void Drive(TQRExportFilter& filter, const std::vector<Page>& pages, const TFont& base = {},
                  bool cancelled = false) {
    filter.BeginExport(2100, 2970, base);
    for (const Page& page : pages) {
        filter.FinishPage();
        filter.BeginPage();
        for (const Item& item : page)
            filter.AddText(item.X, item.Y, item.Font, 0, item.Alignment, item.Text);
    }
    if (!cancelled)
        filter.FinishPage();
    filter.EndExport();
}

inline std::string ReadText(const std::filesystem::path& path) {
    const auto bytes = qrp::test::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline std::string Text(const MemoryStream& stream) {
    return {stream.Data().begin(), stream.Data().end()};
}

// Exports the pages to a scratch file through a filter of kind Filter and returns the file.
template <class Filter>
std::string ExportToFile(const std::vector<Page>& pages, const TFont& base = {}, bool cancelled = false) {
    qrp::test::ScratchDir dir;
    const auto path = dir / "out";
    Filter filter(path.string());
    Drive(filter, pages, base, cancelled);
    return ReadText(path);
}

inline std::filesystem::path Golden(const std::string& name) {
    return qrp::test::DataDir() / "golden" / "export" / name;
}

using qrp::test::ShortStream;

}  // namespace qrp::exporter::test
