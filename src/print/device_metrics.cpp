#include "device_metrics.h"

#include <algorithm>

namespace qrp::print {

namespace {

constexpr int kPreferredDpi = 600;

}  // namespace

int DeviceMetrics::Cap(DeviceCap cap) const {
    switch (cap) {
        case DeviceCap::LOGPIXELSX:
        case DeviceCap::LOGPIXELSY:
            return dpi;
        case DeviceCap::PHYSICALOFFSETX:
            return printable.left();
        case DeviceCap::PHYSICALOFFSETY:
            return printable.top();
        case DeviceCap::PHYSICALWIDTH:
            return paper.width();
        case DeviceCap::PHYSICALHEIGHT:
            return paper.height();
    }
    return 0;
}

DeviceMetrics MeasureDevice(const QPageLayout& layout, int dpi) {
    QPageLayout hardware = layout;
    hardware.setMode(QPageLayout::StandardMode);
    hardware.setMargins(hardware.minimumMargins());
    return {dpi, hardware.fullRectPixels(dpi), hardware.paintRectPixels(dpi)};
}

int ChooseResolution(const QList<int>& offered) {
    if (offered.isEmpty())
        return kPreferredDpi;
    int best = 0;
    for (int dpi : offered) {
        if (dpi <= kPreferredDpi)
            best = std::max(best, dpi);
    }
    return best > 0 ? best : *std::min_element(offered.begin(), offered.end());
}

}  // namespace qrp::print
