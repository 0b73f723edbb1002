// The printer object a report document prints through, and the canvas a page is drawn
// on. The core knows only this interface; the Qt/CUPS backend implements it and the
// tests use a logging fake. Failures are PrinterError with the messages in messages.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrp {

class PagePicture;

enum TPrinterOrientation : std::uint8_t { poPortrait = 0, poLandscape = 1 };

// Field bits of DeviceMode::dmFields: a bit says the driver honours that member.
inline constexpr std::uint32_t DM_ORIENTATION = 0x1;
inline constexpr std::uint32_t DM_PAPERSIZE = 0x2;
inline constexpr std::uint32_t DM_PAPERLENGTH = 0x4;
inline constexpr std::uint32_t DM_PAPERWIDTH = 0x8;
inline constexpr std::uint32_t DM_COPIES = 0x100;
inline constexpr std::uint32_t DM_DEFAULTSOURCE = 0x200;
inline constexpr std::uint32_t DM_DUPLEX = 0x1000;

inline constexpr std::int16_t DMORIENT_PORTRAIT = 1;
inline constexpr std::int16_t DMORIENT_LANDSCAPE = 2;
inline constexpr std::int16_t DMDUP_SIMPLEX = 1;
inline constexpr std::int16_t DMDUP_HORIZONTAL = 3;
inline constexpr std::int16_t DMPAPER_USER = 256;

// The members of the driver's settings record that the printer settings read and write.
// Lengths are in tenths of a millimetre; paper and source are the driver's identifiers.
struct DeviceMode {
    std::uint32_t dmFields = 0;
    std::int16_t dmOrientation = 0;
    std::int16_t dmPaperSize = 0;
    std::int16_t dmPaperLength = 0;
    std::int16_t dmPaperWidth = 0;
    std::int16_t dmCopies = 0;
    std::int16_t dmDefaultSource = 0;
    std::int16_t dmDuplex = 0;

    bool operator==(const DeviceMode&) const = default;
};

// The selected printer's names and its device mode. A printer that offers no device
// settings has no Mode; handing settings back without a Mode asks the printer to fetch
// the driver's default device mode.
struct DeviceSettings {
    std::string Device;
    std::string Driver;
    std::string Port;
    std::optional<DeviceMode> Mode;
};

// What GetDeviceCaps answers, for the device of the selected printer in its current
// device mode. Resolutions in pixels per inch, the others in device pixels.
enum class DeviceCap { LOGPIXELSX, LOGPIXELSY, PHYSICALOFFSETX, PHYSICALOFFSETY, PHYSICALWIDTH, PHYSICALHEIGHT };

// A rectangle in device pixels; right and bottom are the last column and row covered.
struct PixelRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The drawing surface of an open print job.
class PrinterCanvas {
  public:
    virtual ~PrinterCanvas() = default;
    // Plays the picture stretched independently in width and height to fill rect.
    virtual void StretchDraw(const PagePicture& picture, const PixelRect& rect) = 0;
};

// One printer object: a selection among the installed printers, its device settings and
// at most one job at a time. A document owns one; the viewer has one process-wide.
//
// Job calls and what they do on the device:
//   BeginDoc  create the device context, start the document under Title(), start page 1
//   NewPage   end the page, start the next
//   StartPage start a device page; no effect on a page already started (BeginDoc and
//             NewPage start theirs), so it never makes a blank sheet
//   EndDoc    end the page, then end the document unless the job was aborted
//   Abort     abort the document, then end the job as EndDoc does
// Printing() is true from BeginDoc until EndDoc or Abort has returned.
class PrinterObject {
  public:
    virtual ~PrinterObject() = default;

    // Names of the installed printers; indices below refer to this order.
    virtual std::vector<std::string> Printers() = 0;
    // The selected printer's index. Throws "There is no default printer currently selected"
    // while the default is selected and the system has none.
    virtual int PrinterIndex() = 0;
    // -1 selects the system default. Throws "Printer index out of range" for any other
    // index outside Printers(), "Printing in progress" while a job is open.
    virtual void SetPrinterIndex(int index) = 0;

    // Names and device mode of the selected printer (for the default printer this needs
    // one: "There is no default printer currently selected").
    virtual DeviceSettings GetPrinter() = 0;
    // Keeps the device mode for the next job and drops the current device context. The
    // names say which printer the mode is for. Throws "Printing in progress" during a job.
    virtual void SetPrinter(const DeviceSettings& settings) = 0;

    // The name under which the spooler lists the next job.
    virtual std::string Title() = 0;
    virtual void SetTitle(const std::string& title) = 0;

    virtual bool Printing() = 0;
    // "Printing in progress" when a job is open; "Printer selected is not valid" when the
    // device context cannot be created (no job is open then).
    virtual void BeginDoc() = 0;
    // These four throw "Printer is not currently printing" outside a job.
    virtual void NewPage() = 0;
    virtual void StartPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
    // Whether a job that failed part-way is still ended, so that the sheets already sent
    // print; a printer that writes a file drops it instead, keeping the file as it was.
    virtual bool EndsFailedJobs() { return true; }

    // The surface of the open job's current page; valid while Printing().
    virtual PrinterCanvas& Canvas() = 0;
    // Printable area of the device in pixels.
    virtual int PageWidth() = 0;
    virtual int PageHeight() = 0;
    virtual int GetDeviceCaps(DeviceCap cap) = 0;

    // Read from the device mode; "Operation not supported on selected printer" without one.
    virtual int Copies() = 0;
    virtual TPrinterOrientation Orientation() = 0;

    // The driver's file path as the spooler reports it for a printer, or none when it
    // cannot be read.
    virtual std::optional<std::string> DriverPath(const std::string& device) = 0;
    // The driver identifiers of the paper sizes the printer offers in the given mode;
    // empty when the query fails.
    virtual std::vector<std::uint16_t> DevicePapers(const std::string& device, const std::string& port,
                                                    const DeviceMode* mode) = 0;
};

}  // namespace qrp
