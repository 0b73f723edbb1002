// A printer object for tests: configurable printers, capabilities and failures, and a log
// with one text line per call (job calls log what they do on the device, in the device's
// words), so that call orders can be compared exactly.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report/printer.h"

namespace qrp::test {

struct FakePrinterInfo {
    std::string Name = "Laser";
    std::string Driver = "LASERDRV";
    std::string Port = "lpt1:";
    std::optional<std::string> DriverPath = std::string("/usr/share/ppd/laserdrv.ppd");
    // The driver's defaults; none for a printer that offers no device settings.
    std::optional<DeviceMode> DefaultMode =
        DeviceMode{DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE | DM_DUPLEX,
                   DMORIENT_PORTRAIT,
                   9,
                   0,
                   0,
                   1,
                   7,
                   DMDUP_SIMPLEX};
    // A4 at 600 dpi.
    std::map<DeviceCap, int> Caps = {{DeviceCap::LOGPIXELSX, 600},      {DeviceCap::LOGPIXELSY, 600},
                                     {DeviceCap::PHYSICALOFFSETX, 100}, {DeviceCap::PHYSICALOFFSETY, 120},
                                     {DeviceCap::PHYSICALWIDTH, 4960},  {DeviceCap::PHYSICALHEIGHT, 7016}};
    int PageWidth = 4760;
    int PageHeight = 6776;
    std::vector<std::uint16_t> Papers = {1, 5, 9, 256};
};

class FakePrinter : public PrinterObject {
  public:
    // One printer that is also the default.
    FakePrinter() : FakePrinter({FakePrinterInfo{}}, 0) {}
    // defaultIndex -1: the system has no default printer.
    FakePrinter(std::vector<FakePrinterInfo> printers, int defaultIndex);
    // The canvas refers back to its printer.
    FakePrinter(const FakePrinter&) = delete;
    FakePrinter& operator=(const FakePrinter&) = delete;

    std::vector<std::string> Printers() override;
    int PrinterIndex() override;
    void SetPrinterIndex(int index) override;
    DeviceSettings GetPrinter() override;
    void SetPrinter(const DeviceSettings& settings) override;
    std::string Title() override;
    void SetTitle(const std::string& title) override;
    bool Printing() override;
    void BeginDoc() override;
    void NewPage() override;
    // Logs "StartPage (already started)": every job page is started by BeginDoc or NewPage.
    void StartPage() override;
    void EndDoc() override;
    void Abort() override;
    PrinterCanvas& Canvas() override;
    int PageWidth() override;
    int PageHeight() override;
    int GetDeviceCaps(DeviceCap cap) override;
    int Copies() override;
    TPrinterOrientation Orientation() override;
    std::optional<std::string> DriverPath(const std::string& device) override;
    std::vector<std::uint16_t> DevicePapers(const std::string& device, const std::string& port,
                                            const DeviceMode* mode) override;

    // Every call so far, oldest first.
    std::vector<std::string> Log;
    // The device modes in force, by printer index.
    std::vector<std::optional<DeviceMode>> Modes;
    // BeginDoc fails as if the device context could not be made.
    bool FailCreateDC = false;
    // GetPrinter hands out no device mode for this many calls (a slow driver).
    int MissingModeCalls = 0;
    // The n-th picture drawn (1-based) throws Error "Drawing failed"; 0 never.
    int FailDrawNumber = 0;

    // The device mode as a log line: "fields=0x1303 orient=1 paper=9 ..." or "none".
    static std::string Describe(const std::optional<DeviceMode>& mode);

  private:
    class FakeCanvas : public PrinterCanvas {
      public:
        explicit FakeCanvas(FakePrinter& owner) : m_owner(owner) {}
        void StretchDraw(const PagePicture& picture, const PixelRect& rect) override;

      private:
        FakePrinter& m_owner;
    };

    const FakePrinterInfo& Selected();
    int SelectedIndex();
    void RequirePrinting();
    void RequireIdle();

    std::vector<FakePrinterInfo> m_printers;
    int m_defaultIndex;
    int m_index = -1;
    std::string m_title;
    bool m_printing = false;
    bool m_aborted = false;
    int m_draws = 0;
    FakeCanvas m_canvas{*this};
};

}  // namespace qrp::test
