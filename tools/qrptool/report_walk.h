// The reports a command over many reports works on: the paths named on the command line,
// and with recursion every report in the folders among them. A file is taken for a report
// by its first bytes (the MIME type's magic), whatever its name.
#pragma once

#include <string>
#include <vector>

namespace qrp::tool {

struct WalkedReport {
    std::string path;      // as named, or the folder as named joined with the way down
    std::string relative;  // below the named folder; a named file's own name
    std::string error;     // why it is no report to work on; empty for a report
};

// In command-line order, each folder's entries sorted by name. Links are followed; one
// that leads back into a folder being walked is a loop. Files that are not reports are
// skipped silently inside folders; a named one, a named folder without recursion, a
// folder that cannot be read and a link loop are entries with an error.
std::vector<WalkedReport> WalkReports(const std::vector<std::string>& paths, bool recursive);

}  // namespace qrp::tool
