#include "filter_library.h"

#include <algorithm>
#include <stdexcept>

#include "base/messages.h"

namespace qrp::exporter {

namespace {

TQRExportFilterLibrary* g_library = nullptr;

constexpr const char* kReportExtension = "QRP";

}  // namespace

void TQRExportFilterLibrary::AddFilter(TQRExportFilterClass FilterType) {
    const auto probe = FilterType({});
    FFilters.push_back({FilterType, probe->ShownName(), probe->DefaultExtension()});
}

void TQRExportFilterLibrary::RemoveFilter(TQRExportFilterClass FilterType) {
    const std::string name = FilterType({})->ShownName();
    const auto found = std::find_if(FFilters.begin(), FFilters.end(),
                                    [&](const TQRExportFilterLibraryEntry& entry) { return entry.FilterName == name; });
    if (found != FFilters.end())
        FFilters.erase(found);
}

std::string TQRExportFilterLibrary::BuildSaveFilter() const {
    // No blank before the parenthesis in the first pair, one in every other: the dialog
    // text has always read this way.
    std::string result = messages::reportFileFilterName() + "(*." + kReportExtension + ")|*." + kReportExtension;
    for (const auto& entry : FFilters) {
        result += "|" + entry.FilterName + " (*." + entry.Extension + ")|*." + entry.Extension;
    }
    return result;
}

FilterLibraryOwner::FilterLibraryOwner() {
    if (g_library)
        throw std::logic_error("the export filter library exists already");
    g_library = &FLibrary;
}

FilterLibraryOwner::~FilterLibraryOwner() {
    g_library = nullptr;
}

TQRExportFilterLibrary& FilterLibrary() {
    if (!g_library)
        throw std::logic_error("no export filter library: program start has not made it");
    return *g_library;
}

TQRFilterRegistration::TQRFilterRegistration(TQRExportFilterClass filterType) : FFilterType(filterType) {
    FilterLibrary().AddFilter(FFilterType);
}

TQRFilterRegistration::~TQRFilterRegistration() {
    // Outliving the library breaks the start-up contract; there is nothing left to leave then.
    if (g_library)
        g_library->RemoveFilter(FFilterType);
}

}  // namespace qrp::exporter
