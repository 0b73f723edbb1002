// The report's device mode mapped onto a QPrinter and back. Paper sizes travel as the
// driver identifiers QPageSize knows (its Windows ids); custom sizes in tenths of a mm.
#pragma once

#include <cstdint>

#include <QPageSize>
#include <QPrinter>

#include "report/printer.h"

namespace qrp::print {

// What a printer offers beyond orientation and paper size, which every printer has.
struct DeviceOffers {
    bool copies = true;
    bool duplex = false;
    bool customSizes = false;
};

// The driver identifier of a paper size; DMPAPER_USER for a size without one.
std::int16_t PaperIdOf(const QPageSize& size);

// Long-edge binding is 2 (DMDUP_VERTICAL), short-edge DMDUP_HORIZONTAL, whatever the
// orientation; Qt's automatic mode binds a portrait page on its long edge. Unknown ids
// print one-sided.
std::int16_t DuplexIdOf(QPrinter::DuplexMode duplex);
QPrinter::DuplexMode DuplexModeOf(std::int16_t id);

// The printer's current settings as a device mode. dmFields holds only what the printer
// offers. Paper sources are not reachable through Qt on CUPS: dmDefaultSource says
// "automatic" and its field bit stays clear.
DeviceMode ReadDeviceMode(const QPrinter& printer, const DeviceOffers& offers);

// Sets on the printer every member whose field bit is set. A paper id Qt does not know, or
// a custom size without dimensions, leaves the paper as it is; dmDefaultSource is kept by
// the caller only (see ReadDeviceMode).
void ApplyDeviceMode(const DeviceMode& mode, QPrinter& printer);

}  // namespace qrp::print
