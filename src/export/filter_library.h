// The registry of export formats behind the Save dialog, and the registration objects
// that offer a format for as long as they live.
//
// There is one library per process. Program start makes it (FilterLibraryOwner) before
// any window, so before anything registers, and drops it after the last window is gone;
// nothing here depends on the order of static initialisation.
#pragma once

#include <string>
#include <vector>

#include "export_filter.h"

namespace qrp::exporter {

struct TQRExportFilterLibraryEntry {
    TQRExportFilterClass FilterType;
    std::string FilterName;  // ShownName, taken at registration
    std::string Extension;   // DefaultExtension, taken at registration
};

class TQRExportFilterLibrary {
  public:
    // Appends an entry, also when the class or name is listed already.
    void AddFilter(TQRExportFilterClass FilterType);
    // Removes the first entry whose name equals the class's ShownName (exact bytes); the
    // class itself is not compared. No match: nothing changes.
    void RemoveFilter(TQRExportFilterClass FilterType);
    // "Report file(*.QRP)|*.QRP", then "|Name (*.EXT)|*.EXT" per entry in list order.
    // Dialog index k >= 2 stands for Filters()[k - 2].
    std::string BuildSaveFilter() const;

    const std::vector<TQRExportFilterLibraryEntry>& Filters() const { return FFilters; }

  private:
    std::vector<TQRExportFilterLibraryEntry> FFilters;
};

// Holds the process-wide library for its lifetime; only one may exist at a time
// (std::logic_error otherwise). Everything that registers must be gone before it is.
class FilterLibraryOwner {
  public:
    FilterLibraryOwner();
    ~FilterLibraryOwner();
    FilterLibraryOwner(const FilterLibraryOwner&) = delete;
    FilterLibraryOwner& operator=(const FilterLibraryOwner&) = delete;

  private:
    TQRExportFilterLibrary FLibrary;
};

// The library of the living owner; std::logic_error when there is none.
TQRExportFilterLibrary& FilterLibrary();

// Base of TQRTextFilter, TQRCSVFilter and TQRHTMLFilter: registers its class on
// construction and unregisters it (by name, the first match) on destruction.
class TQRFilterRegistration {
  public:
    TQRFilterRegistration(const TQRFilterRegistration&) = delete;
    TQRFilterRegistration& operator=(const TQRFilterRegistration&) = delete;

  protected:
    explicit TQRFilterRegistration(TQRExportFilterClass filterType);
    ~TQRFilterRegistration();

  private:
    TQRExportFilterClass FFilterType;
};

}  // namespace qrp::exporter
