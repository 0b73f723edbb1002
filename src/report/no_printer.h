// The printer object of a system without printers, for programs that record or show
// reports and never print (tools, the sample generator, servers): it lists no printers,
// so a document over it reads no settings and its Print does nothing. Whatever needs a
// printer fails with the printer object's own messages.
#pragma once

#include "printer.h"

namespace qrp {

class NoPrinter : public PrinterObject {
  public:
    std::vector<std::string> Printers() override { return {}; }
    // "There is no default printer currently selected".
    int PrinterIndex() override;
    // -1 is accepted; any other index is "Printer index out of range".
    void SetPrinterIndex(int index) override;
    DeviceSettings GetPrinter() override;
    void SetPrinter(const DeviceSettings& settings) override;
    std::string Title() override { return m_title; }
    void SetTitle(const std::string& title) override { m_title = title; }
    bool Printing() override { return false; }
    // "Printer selected is not valid".
    void BeginDoc() override;
    // These four: "Printer is not currently printing".
    void NewPage() override;
    void StartPage() override;
    void EndDoc() override;
    void Abort() override;
    PrinterCanvas& Canvas() override;
    int PageWidth() override { return 0; }
    int PageHeight() override { return 0; }
    // "There is no default printer currently selected".
    int GetDeviceCaps(DeviceCap cap) override;
    int Copies() override;
    TPrinterOrientation Orientation() override;
    std::optional<std::string> DriverPath(const std::string&) override { return std::nullopt; }
    std::vector<std::uint16_t> DevicePapers(const std::string&, const std::string&, const DeviceMode*) override {
        return {};
    }

  private:
    std::string m_title;
};

}  // namespace qrp
