#include "fake_printer.h"

#include <cstdio>

#include "base/byte_order.h"
#include "base/errors.h"
#include "base/messages.h"
#include "report/page_picture.h"

namespace qrp::test {

namespace {

const char* CapName(DeviceCap cap) {
    switch (cap) {
        case DeviceCap::LOGPIXELSX:
            return "LOGPIXELSX";
        case DeviceCap::LOGPIXELSY:
            return "LOGPIXELSY";
        case DeviceCap::PHYSICALOFFSETX:
            return "PHYSICALOFFSETX";
        case DeviceCap::PHYSICALOFFSETY:
            return "PHYSICALOFFSETY";
        case DeviceCap::PHYSICALWIDTH:
            return "PHYSICALWIDTH";
        case DeviceCap::PHYSICALHEIGHT:
            return "PHYSICALHEIGHT";
    }
    return "?";
}

}  // namespace

FakePrinter::FakePrinter(std::vector<FakePrinterInfo> printers, int defaultIndex)
    : m_printers(std::move(printers)), m_defaultIndex(defaultIndex) {
    for (const FakePrinterInfo& info : m_printers)
        Modes.push_back(info.DefaultMode);
}

std::string FakePrinter::Describe(const std::optional<DeviceMode>& mode) {
    if (!mode)
        return "none";
    char text[160];
    std::snprintf(text, sizeof text, "fields=0x%x orient=%d paper=%d length=%d width=%d copies=%d source=%d duplex=%d",
                  mode->dmFields, mode->dmOrientation, mode->dmPaperSize, mode->dmPaperLength, mode->dmPaperWidth,
                  mode->dmCopies, mode->dmDefaultSource, mode->dmDuplex);
    return text;
}

int FakePrinter::SelectedIndex() {
    const int index = m_index == -1 ? m_defaultIndex : m_index;
    if (index < 0 || index >= static_cast<int>(m_printers.size()))
        throw PrinterError(messages::noDefaultPrinter());
    return index;
}

const FakePrinterInfo& FakePrinter::Selected() {
    return m_printers[SelectedIndex()];
}

void FakePrinter::RequirePrinting() {
    if (!m_printing)
        throw PrinterError(messages::printerNotPrinting());
}

void FakePrinter::RequireIdle() {
    if (m_printing)
        throw PrinterError(messages::printingInProgress());
}

std::vector<std::string> FakePrinter::Printers() {
    Log.push_back("Printers");
    std::vector<std::string> names;
    for (const FakePrinterInfo& info : m_printers)
        names.push_back(info.Name);
    return names;
}

int FakePrinter::PrinterIndex() {
    Log.push_back("PrinterIndex");
    return SelectedIndex();
}

void FakePrinter::SetPrinterIndex(int index) {
    Log.push_back("SetPrinterIndex " + std::to_string(index));
    RequireIdle();
    if (index != -1 && (index < 0 || index >= static_cast<int>(m_printers.size())))
        throw PrinterError(messages::printerIndexOutOfRange());
    m_index = index;
}

DeviceSettings FakePrinter::GetPrinter() {
    Log.push_back("GetPrinter");
    const int index = SelectedIndex();
    const FakePrinterInfo& info = m_printers[index];
    DeviceSettings settings{info.Name, info.Driver, info.Port, Modes[index]};
    if (MissingModeCalls > 0) {
        --MissingModeCalls;
        settings.Mode.reset();
    }
    return settings;
}

void FakePrinter::SetPrinter(const DeviceSettings& settings) {
    Log.push_back("SetPrinter " + settings.Device + " " + Describe(settings.Mode));
    RequireIdle();
    const int index = SelectedIndex();
    Modes[index] = settings.Mode ? settings.Mode : m_printers[index].DefaultMode;
}

std::string FakePrinter::Title() {
    Log.push_back("Title");
    return m_title;
}

void FakePrinter::SetTitle(const std::string& title) {
    Log.push_back("SetTitle " + title);
    m_title = title;
}

bool FakePrinter::Printing() {
    Log.push_back("Printing");
    return m_printing;
}

void FakePrinter::BeginDoc() {
    RequireIdle();
    const FakePrinterInfo& info = Selected();
    if (FailCreateDC) {
        Log.push_back("CreateDC " + info.Name + " failed");
        throw PrinterError(messages::printerNotValid());
    }
    Log.push_back("CreateDC " + info.Name + " " + Describe(Modes[SelectedIndex()]));
    Log.push_back("SetAbortProc");
    Log.push_back("StartDoc " + m_title);
    Log.push_back("StartPage");
    m_printing = true;
    m_aborted = false;
}

void FakePrinter::NewPage() {
    RequirePrinting();
    Log.push_back("EndPage");
    Log.push_back("StartPage");
}

void FakePrinter::StartPage() {
    RequirePrinting();
    Log.push_back("StartPage (already started)");
}

void FakePrinter::EndDoc() {
    RequirePrinting();
    Log.push_back("EndPage");
    if (!m_aborted)
        Log.push_back("EndDoc");
    m_printing = false;
}

void FakePrinter::Abort() {
    RequirePrinting();
    Log.push_back("AbortDoc");
    m_aborted = true;
    EndDoc();
}

PrinterCanvas& FakePrinter::Canvas() {
    Log.push_back("Canvas");
    return m_canvas;
}

int FakePrinter::PageWidth() {
    Log.push_back("PageWidth");
    return Selected().PageWidth;
}

int FakePrinter::PageHeight() {
    Log.push_back("PageHeight");
    return Selected().PageHeight;
}

int FakePrinter::GetDeviceCaps(DeviceCap cap) {
    Log.push_back(std::string("GetDeviceCaps ") + CapName(cap));
    const auto& caps = Selected().Caps;
    const auto found = caps.find(cap);
    return found == caps.end() ? 0 : found->second;
}

int FakePrinter::Copies() {
    Log.push_back("Copies");
    const auto& mode = Modes[SelectedIndex()];
    if (!mode)
        throw PrinterError(messages::printerNotSupported());
    return mode->dmCopies;
}

TPrinterOrientation FakePrinter::Orientation() {
    Log.push_back("Orientation");
    const auto& mode = Modes[SelectedIndex()];
    if (!mode)
        throw PrinterError(messages::printerNotSupported());
    return mode->dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

std::optional<std::string> FakePrinter::DriverPath(const std::string& device) {
    Log.push_back("DriverPath " + device);
    for (const FakePrinterInfo& info : m_printers) {
        if (info.Name == device)
            return info.DriverPath;
    }
    return std::nullopt;
}

std::vector<std::uint16_t> FakePrinter::DevicePapers(const std::string& device, const std::string& port,
                                                     const DeviceMode* mode) {
    Log.push_back("DevicePapers " + device + " " + port + (mode ? " mode" : " no mode"));
    for (const FakePrinterInfo& info : m_printers) {
        if (info.Name == device)
            return info.Papers;
    }
    return {};
}

// Pictures are named by the left edge of their bounds, which the tests' pages set to
// their page number.
void FakePrinter::FakeCanvas::StretchDraw(const PagePicture& picture, const PixelRect& rect) {
    const int number = ++m_owner.m_draws;
    m_owner.Log.push_back("StretchDraw page " + std::to_string(LoadI32(&picture.Bytes()[8])) + " into (" +
                          std::to_string(rect.left) + "," + std::to_string(rect.top) + ")-(" +
                          std::to_string(rect.right) + "," + std::to_string(rect.bottom) + ")");
    if (number == m_owner.FailDrawNumber)
        throw Error("Drawing failed");
}

}  // namespace qrp::test
