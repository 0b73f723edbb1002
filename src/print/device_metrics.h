// What GetDeviceCaps answers for a printer, worked out from its page layout: the whole
// sheet and the printable area in device pixels at the printer's resolution.
#pragma once

#include <QList>
#include <QPageLayout>
#include <QRect>

#include "report/printer.h"

namespace qrp::print {

struct DeviceMetrics {
    int dpi = 0;
    QRect paper;      // the sheet as it lies, origin at its top-left corner
    QRect printable;  // inside paper; its top-left is the physical offset

    int Cap(DeviceCap cap) const;
};

// The sheet of the layout (orientation included) with the printer's unprintable margins,
// which Qt keeps as the layout's minimum margins; the layout's own margins play no part.
DeviceMetrics MeasureDevice(const QPageLayout& layout, int dpi);

// The resolution a job is laid out at: the highest offered up to 600 dpi (a laser
// printer's usual one), else the lowest offered; 600 when the driver names none. Qt cannot
// tell the driver's default resolution.
int ChooseResolution(const QList<int>& offered);

}  // namespace qrp::print
