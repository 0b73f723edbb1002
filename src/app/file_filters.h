// The window's file dialog filters ("Description|*.EXT|Description|*.EXT", chosen pair
// counted from 1) turned into Qt's name filters and back.
#pragma once

#include <string>

#include <QStringList>

namespace qrp::app {

// One Qt name filter per pair: the description, followed by " (pattern)" unless it ends
// with that already. A trailing description without pattern is dropped.
QStringList QtNameFilters(const std::string& filter);

// The 1-based number of `selected` among `filters`; 1 when it is not one of them.
int FilterIndexOf(const QStringList& filters, const QString& selected);

}  // namespace qrp::app
