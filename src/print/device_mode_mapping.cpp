#include "device_mode_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace qrp::print {

namespace {

// The spooler picks the tray.
constexpr std::int16_t kDmbinAuto = 7;
constexpr std::int16_t kDmdupVertical = 2;

std::int16_t TenthsOfMm(qreal mm) {
    const long tenths = std::lround(mm * 10);
    return static_cast<std::int16_t>(std::clamp<long>(tenths, 0, std::numeric_limits<std::int16_t>::max()));
}

std::optional<QPageSize> PageSizeOf(const DeviceMode& mode) {
    if (mode.dmPaperSize == DMPAPER_USER) {
        if (mode.dmPaperWidth <= 0 || mode.dmPaperLength <= 0)
            return std::nullopt;
        return QPageSize(QSizeF(mode.dmPaperWidth / 10.0, mode.dmPaperLength / 10.0), QPageSize::Millimeter);
    }
    const QPageSize::PageSizeId id = QPageSize::id(mode.dmPaperSize);
    if (id == QPageSize::Custom)
        return std::nullopt;
    return QPageSize(id);
}

}  // namespace

std::int16_t DuplexIdOf(QPrinter::DuplexMode duplex) {
    switch (duplex) {
        case QPrinter::DuplexNone:
            return DMDUP_SIMPLEX;
        case QPrinter::DuplexShortSide:
            return DMDUP_HORIZONTAL;
        case QPrinter::DuplexAuto:
        case QPrinter::DuplexLongSide:
            break;
    }
    return kDmdupVertical;
}

QPrinter::DuplexMode DuplexModeOf(std::int16_t id) {
    switch (id) {
        case kDmdupVertical:
            return QPrinter::DuplexLongSide;
        case DMDUP_HORIZONTAL:
            return QPrinter::DuplexShortSide;
        default:
            return QPrinter::DuplexNone;
    }
}

std::int16_t PaperIdOf(const QPageSize& size) {
    const int id = size.windowsId();
    return id > 0 && id < DMPAPER_USER ? static_cast<std::int16_t>(id) : DMPAPER_USER;
}

DeviceMode ReadDeviceMode(const QPrinter& printer, const DeviceOffers& offers) {
    const QPageLayout layout = printer.pageLayout();
    const QSizeF paperMm = layout.pageSize().size(QPageSize::Millimeter);
    DeviceMode mode;
    mode.dmFields = DM_ORIENTATION | DM_PAPERSIZE;
    if (offers.copies)
        mode.dmFields |= DM_COPIES;
    if (offers.duplex)
        mode.dmFields |= DM_DUPLEX;
    if (offers.customSizes)
        mode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    mode.dmOrientation = layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode.dmPaperSize = PaperIdOf(layout.pageSize());
    mode.dmPaperWidth = TenthsOfMm(paperMm.width());
    mode.dmPaperLength = TenthsOfMm(paperMm.height());
    mode.dmCopies = static_cast<std::int16_t>(std::clamp(printer.copyCount(), 1, 0x7fff));
    mode.dmDefaultSource = kDmbinAuto;
    mode.dmDuplex = DuplexIdOf(printer.duplex());
    return mode;
}

void ApplyDeviceMode(const DeviceMode& mode, QPrinter& printer) {
    if (mode.dmFields & DM_ORIENTATION)
        printer.setPageOrientation(mode.dmOrientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                            : QPageLayout::Portrait);
    if (mode.dmFields & DM_PAPERSIZE) {
        if (const auto size = PageSizeOf(mode))
            printer.setPageSize(*size);
    }
    if (mode.dmFields & DM_COPIES)
        printer.setCopyCount(std::max<int>(mode.dmCopies, 1));
    if (mode.dmFields & DM_DUPLEX)
        printer.setDuplex(DuplexModeOf(mode.dmDuplex));
}

}  // namespace qrp::print
