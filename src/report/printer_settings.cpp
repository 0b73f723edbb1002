#include "printer_settings.h"

#include "host_hooks.h"
#include "rounding.h"

namespace qrp {

namespace {

std::string Cut(const std::string& text, std::size_t limit) {
    return text.substr(0, limit);
}

// The name part of a driver path; spoolers write either separator.
std::string FileNamePart(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Device pixels to tenths of a millimetre. A device reporting no resolution gives 0 rather
// than a division by zero.
std::int32_t PixelsToTenthMm(int pixels, std::int32_t dotsPerInch) {
    if (dotsPerInch <= 0)
        return 0;
    return RoundToInt32(static_cast<long double>(pixels) / dotsPerInch * 254);
}

}  // namespace

void TPrinterSettings::AttachPrinter(PrinterObject* p) {
    FPrinter = p;
    if (p && !p->Printers().empty())
        ReadPrinterSettings();
}

void TPrinterSettings::ReadPrinterSettings() {
    if (!FPrinter)
        return;
    // The order is observable through the printer and is kept as the library always had it.
    ReadDevice();
    ReadResolution();
    ReadCopies();
    FetchBins();
    ReadDuplex();
    ReadOffsets();
    ReadPaperSize();
    ReadPaperDimensions();
    ReadPaperList();
}

void TPrinterSettings::ReadDevice() {
    ProcessMessages();
    DeviceSettings settings = FPrinter->GetPrinter();
    // Some drivers hand out their device mode only on the second request.
    if (!settings.Mode)
        settings = FPrinter->GetPrinter();
    FDevice = Cut(settings.Device, kNameLimit);
    FDriver = Cut(settings.Driver, kNameLimit);
    FPort = Cut(settings.Port, kNameLimit);
    FDeviceModeData = settings.Mode;
    // When the spooler cannot tell, the driver name from the printer stands.
    if (const auto path = FPrinter->DriverPath(FDevice))
        FDriver = Cut(FileNamePart(*path), kDriverFileLimit);
}

void TPrinterSettings::ReadResolution() {
    FDotsPerInchX = FPrinter->GetDeviceCaps(DeviceCap::LOGPIXELSX);
    FDotsPerInchY = FPrinter->GetDeviceCaps(DeviceCap::LOGPIXELSY);
}

void TPrinterSettings::ReadCopies() {
    FCopies = HasCapability(DM_COPIES) ? FDeviceModeData->dmCopies : 1;
}

void TPrinterSettings::FetchBins() {
    FOutputBin = TQRBin::First;
    if (HasCapability(DM_DEFAULTSOURCE))
        FOutputBin = BinFromDevice(FDeviceModeData->dmDefaultSource).value_or(TQRBin::First);
}

void TPrinterSettings::ReadDuplex() {
    FDuplex = HasCapability(DM_DUPLEX) && FDeviceModeData->dmDuplex != DMDUP_SIMPLEX;
}

void TPrinterSettings::ReadOffsets() {
    FPhysLeft = PixelsToTenthMm(FPrinter->GetDeviceCaps(DeviceCap::PHYSICALOFFSETX), FDotsPerInchX);
    FPhysTop = PixelsToTenthMm(FPrinter->GetDeviceCaps(DeviceCap::PHYSICALOFFSETY), FDotsPerInchY);
}

void TPrinterSettings::ReadPaperSize() {
    FPaperSize = TQRPaperSize::Default;
    if (HasCapability(DM_PAPERSIZE))
        FPaperSize = PaperSizeFromDevice(FDeviceModeData->dmPaperSize).value_or(TQRPaperSize::Default);
}

void TPrinterSettings::ReadPaperDimensions() {
    FSheetWidth = PixelsToTenthMm(FPrinter->GetDeviceCaps(DeviceCap::PHYSICALWIDTH), FDotsPerInchX);
    FSheetLength = PixelsToTenthMm(FPrinter->GetDeviceCaps(DeviceCap::PHYSICALHEIGHT), FDotsPerInchY);
}

void TPrinterSettings::ReadPaperList() {
    FHasPaperSize.fill(false);
    const DeviceMode* mode = FDeviceModeData ? &*FDeviceModeData : nullptr;
    for (std::uint16_t id : FPrinter->DevicePapers(FDevice, FPort, mode)) {
        const auto size = PaperSizeFromDevice(id);
        if (size && *size != TQRPaperSize::Default)
            FHasPaperSize[static_cast<int>(*size) - 1] = true;
    }
    // A custom size is always offered: the driver decides what it makes of the dimensions.
    FHasPaperSize[static_cast<int>(TQRPaperSize::Custom) - 1] = true;
}

void TPrinterSettings::WriteToPrinter() {
    if (!FPrinter)
        return;
    DeviceSettings settings = FPrinter->GetPrinter();
    FDeviceModeData = settings.Mode;
    if (!FDeviceModeData)
        return;
    DeviceMode& mode = *FDeviceModeData;
    if (FPaperSize == TQRPaperSize::Custom) {
        if (HasCapability(DM_PAPERLENGTH)) {
            MarkField(DM_PAPERLENGTH);
            mode.dmPaperLength = static_cast<std::int16_t>(FSheetLength);
        }
        if (HasCapability(DM_PAPERWIDTH)) {
            MarkField(DM_PAPERWIDTH);
            mode.dmPaperWidth = static_cast<std::int16_t>(FSheetWidth);
        }
    }
    // Duplex off leaves the printer's own duplex setting alone.
    if (FDuplex) {
        MarkField(DM_DUPLEX);
        mode.dmDuplex = DMDUP_HORIZONTAL;
    }
    if (HasCapability(DM_PAPERSIZE) && FPaperSize != TQRPaperSize::Default) {
        MarkField(DM_PAPERSIZE);
        mode.dmPaperSize = PaperInfo(FPaperSize).deviceId;
    }
    MarkField(DM_COPIES);
    mode.dmCopies = static_cast<std::int16_t>(FCopies);
    MarkField(DM_DEFAULTSOURCE);
    // Bit 0x100 of the old source belongs to the driver and is kept.
    mode.dmDefaultSource = static_cast<std::int16_t>(BinDeviceId(FOutputBin) | (mode.dmDefaultSource & 0x100));
    MarkField(DM_ORIENTATION);
    mode.dmOrientation = FOrientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    settings.Mode = mode;
    FPrinter->SetPrinter(settings);
}

bool TPrinterSettings::HasCapability(std::int32_t setting) const {
    if (!FPrinter || !FDeviceModeData || setting < 0)
        return false;
    const auto bits = static_cast<std::uint32_t>(setting);
    return (FDeviceModeData->dmFields & bits) == bits;
}

void TPrinterSettings::MarkField(std::int32_t setting) {
    if (FDeviceModeData)
        FDeviceModeData->dmFields |= static_cast<std::uint32_t>(setting);
}

bool TPrinterSettings::HasPaperSize(TQRPaperSize size) const {
    if (size == TQRPaperSize::Default)
        return false;
    // Without a printer nothing limits the paper: a loaded report must still be framed on
    // its own paper, not squeezed onto A4.
    return !FPrinter || FHasPaperSize[static_cast<int>(size) - 1];
}

std::int32_t TPrinterSettings::SheetWidth() const {
    if (FPaperSize == TQRPaperSize::Default || FPaperSize == TQRPaperSize::Custom)
        return FSheetWidth;
    return RoundToInt32(static_cast<long double>(PaperInfo(FPaperSize).widthMm) * 10);
}

std::int32_t TPrinterSettings::SheetLength() const {
    if (FPaperSize == TQRPaperSize::Default || FPaperSize == TQRPaperSize::Custom)
        return FSheetLength;
    return RoundToInt32(static_cast<long double>(PaperInfo(FPaperSize).lengthMm) * 10);
}

void TPrinterSettings::SetCopies(std::int32_t value) {
    if (HasCapability(DM_COPIES))
        FCopies = value;
}

void TPrinterSettings::SetOrientation(TPrinterOrientation value) {
    // As for the paper: without a printer a landscape report keeps its orientation.
    if (!FPrinter || HasCapability(DM_ORIENTATION))
        FOrientation = value;
}

void TPrinterSettings::SetOutputBin(TQRBin value) {
    if (HasCapability(DM_DEFAULTSOURCE))
        FOutputBin = value;
}

void TPrinterSettings::SetPaperSize(TQRPaperSize value) {
    if (value == TQRPaperSize::Default || HasPaperSize(value))
        FPaperSize = value;
}

void TPrinterSettings::SetSheetWidth(std::int32_t value) {
    if (FPaperSize == TQRPaperSize::Custom)
        FSheetWidth = value;
}

void TPrinterSettings::SetSheetLength(std::int32_t value) {
    if (FPaperSize == TQRPaperSize::Custom)
        FSheetLength = value;
}

void ResetDeviceMode(PrinterObject& p) {
    DeviceSettings settings = p.GetPrinter();
    settings.Mode.reset();
    p.SetPrinter(settings);
}

}  // namespace qrp
