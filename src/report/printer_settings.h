// The printer settings between a report document and its printer object: reads what the
// selected printer offers and how it is set, and writes the document's wishes back into
// the printer's device mode before a job. Setters silently ignore what the printer
// cannot do. Lengths are in tenths of a millimetre.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "paper_sizes.h"
#include "printer.h"

namespace qrp {

class TPrinterSettings {
  public:
    // Longest text kept of a device, driver or port name (a 128-byte buffer with its
    // terminator), and of the driver's file name.
    static constexpr std::size_t kNameLimit = 127;
    static constexpr std::size_t kDriverFileLimit = 63;

    TPrinterSettings() = default;

    // Binds the settings to p (not owned; it must outlive this object or be replaced) and
    // reads them when p has at least one printer. nullptr unbinds.
    void AttachPrinter(PrinterObject* p);
    // Reads everything from the printer, in a fixed order (see the .cpp); nothing without one.
    void ReadPrinterSettings();
    // Writes paper, custom dimensions, duplex, copies, source and orientation into the
    // printer's device mode and hands it back. Needs a printer; a printer without a device
    // mode is left as it is.
    void WriteToPrinter();

    // False without a printer or device mode; otherwise whether every bit of setting is
    // set in dmFields (a negative setting is never offered).
    bool HasCapability(std::int32_t setting) const;
    void MarkField(std::int32_t setting);

    std::int32_t Copies() const { return FCopies; }
    bool Duplex() const { return FDuplex; }
    TPrinterOrientation Orientation() const { return FOrientation; }
    TQRBin OutputBin() const { return FOutputBin; }
    TQRPaperSize PaperSize() const { return FPaperSize; }
    // Default has no flag and reads false.
    bool HasPaperSize(TQRPaperSize size) const;
    // The table's dimensions for a named size, the stored ones for Default and Custom.
    std::int32_t SheetWidth() const;
    std::int32_t SheetLength() const;
    std::int32_t DotsPerInchX() const { return FDotsPerInchX; }
    std::int32_t DotsPerInchY() const { return FDotsPerInchY; }
    std::int32_t PhysTop() const { return FPhysTop; }
    std::int32_t PhysLeft() const { return FPhysLeft; }
    const std::string& Device() const { return FDevice; }
    const std::string& Driver() const { return FDriver; }
    const std::string& Port() const { return FPort; }
    PrinterObject* Printer() const { return FPrinter; }
    const std::optional<DeviceMode>& DeviceModeData() const { return FDeviceModeData; }

    void SetCopies(std::int32_t value);
    void SetOrientation(TPrinterOrientation value);
    void SetOutputBin(TQRBin value);
    // Only sizes the printer offers, and Default always.
    void SetPaperSize(TQRPaperSize value);
    // Only while the paper size is Custom.
    void SetSheetWidth(std::int32_t value);
    void SetSheetLength(std::int32_t value);

  private:
    void ReadDevice();
    void ReadResolution();
    void ReadCopies();
    void FetchBins();
    void ReadDuplex();
    void ReadOffsets();
    void ReadPaperSize();
    void ReadPaperDimensions();
    void ReadPaperList();

    std::string FDevice;
    std::string FDriver;
    std::string FPort;
    // Our copy of the printer's device mode; none when the printer offers no settings.
    std::optional<DeviceMode> FDeviceModeData;
    std::int32_t FCopies = 0;
    bool FDuplex = false;
    TPrinterOrientation FOrientation = poPortrait;
    TQRBin FOutputBin = TQRBin::First;
    TQRPaperSize FPaperSize = TQRPaperSize::A4;
    // Letter .. Custom; index is the size's ordinal less one.
    std::array<bool, kPaperSizeCount - 1> FHasPaperSize{};
    std::int32_t FSheetWidth = 0;
    std::int32_t FSheetLength = 0;
    std::int32_t FDotsPerInchX = 0;
    std::int32_t FDotsPerInchY = 0;
    std::int32_t FPhysTop = 0;
    std::int32_t FPhysLeft = 0;
    PrinterObject* FPrinter = nullptr;
};

// Drops p's device mode so that p fetches its driver's defaults: every change made to the
// old mode is lost.
void ResetDeviceMode(PrinterObject& p);

// The print settings a report carries and hands to its document (Copies, Orientation,
// OutputBin, PaperSize, PrinterNumber, FirstPage, LastPage; Duplex and Title stay here).
struct TQRPrinterSettings {
    std::int32_t Copies = 1;
    bool Duplex = false;
    TPrinterOrientation Orientation = poPortrait;
    TQRBin OutputBin = TQRBin::Auto;
    TQRPaperSize PaperSize = TQRPaperSize::Letter;
    std::int32_t PrinterNumber = -1;  // the system's default printer
    std::string Title;
    std::int32_t FirstPage = 0;
    std::int32_t LastPage = 0;
};

}  // namespace qrp
