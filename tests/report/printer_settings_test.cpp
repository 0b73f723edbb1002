#include "report/printer_settings.h"

#include <gtest/gtest.h>

#include "report/host_hooks.h"
#include "support/fake_printer.h"

namespace qrp {
namespace {

using test::FakePrinter;
using test::FakePrinterInfo;

FakePrinterInfo WithMode(const DeviceMode& mode) {
    FakePrinterInfo info;
    info.DefaultMode = mode;
    return info;
}

// The settings of a single printer, read at attach.
struct Attached {
    explicit Attached(FakePrinterInfo info = {}) : printer({info}, 0) { settings.AttachPrinter(&printer); }
    FakePrinter printer;
    TPrinterSettings settings;
};

// --- reading ---------------------------------------------------------------------------

TEST(PrinterSettingsRead, AsksThePrinterInTheStatedOrder) {
    FakePrinter printer;
    SetProcessMessagesHook([&printer] { printer.Log.push_back("events run"); });
    TPrinterSettings settings;
    settings.AttachPrinter(&printer);
    SetProcessMessagesHook(nullptr);
    const std::vector<std::string> expected = {
        "Printers",
        "events run",
        "GetPrinter",
        "DriverPath Laser",
        "GetDeviceCaps LOGPIXELSX",
        "GetDeviceCaps LOGPIXELSY",
        "GetDeviceCaps PHYSICALOFFSETX",
        "GetDeviceCaps PHYSICALOFFSETY",
        "GetDeviceCaps PHYSICALWIDTH",
        "GetDeviceCaps PHYSICALHEIGHT",
        "DevicePapers Laser lpt1: mode",
    };
    EXPECT_EQ(printer.Log, expected);
}

TEST(PrinterSettingsRead, StoresWhatTheDeviceReports) {
    Attached a;
    const TPrinterSettings& s = a.settings;
    EXPECT_EQ(s.Device(), "Laser");
    EXPECT_EQ(s.Driver(), "laserdrv.ppd");
    EXPECT_EQ(s.Port(), "lpt1:");
    EXPECT_EQ(s.DotsPerInchX(), 600);
    EXPECT_EQ(s.Copies(), 1);
    EXPECT_EQ(s.OutputBin(), TQRBin::Auto);
    EXPECT_FALSE(s.Duplex());
    EXPECT_EQ(s.PaperSize(), TQRPaperSize::A4);
    // 100 px / 600 dpi x 254 = 42.33; 120 / 600 x 254 = 50.8.
    EXPECT_EQ(s.PhysLeft(), 42);
    EXPECT_EQ(s.PhysTop(), 51);
    EXPECT_TRUE(s.HasPaperSize(TQRPaperSize::Letter));
    EXPECT_TRUE(s.HasPaperSize(TQRPaperSize::Legal));
    EXPECT_TRUE(s.HasPaperSize(TQRPaperSize::A4));
    EXPECT_TRUE(s.HasPaperSize(TQRPaperSize::Custom));
    EXPECT_FALSE(s.HasPaperSize(TQRPaperSize::A4Small));
    EXPECT_FALSE(s.HasPaperSize(TQRPaperSize::Default));
}

TEST(PrinterSettingsRead, PhysicalSizeFollowsTheDeviceForDefaultPaper) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmPaperSize = 999;  // a paper of the driver's own
    Attached a(WithMode(mode));
    EXPECT_EQ(a.settings.PaperSize(), TQRPaperSize::Default);
    // 4960 and 7016 px at 600 dpi.
    EXPECT_EQ(a.settings.SheetWidth(), 2100);
    EXPECT_EQ(a.settings.SheetLength(), 2970);
}

TEST(PrinterSettingsRead, AsksAgainWhenTheDeviceModeComesBackEmpty) {
    FakePrinter printer;
    printer.MissingModeCalls = 1;
    TPrinterSettings settings;
    settings.AttachPrinter(&printer);
    EXPECT_EQ(printer.Log[1], "GetPrinter");
    EXPECT_EQ(printer.Log[2], "GetPrinter");
    EXPECT_TRUE(settings.HasCapability(DM_COPIES));
}

TEST(PrinterSettingsRead, DriverSpecificSourceReadsAsFirst) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmDefaultSource = 15;
    EXPECT_EQ(Attached(WithMode(mode)).settings.OutputBin(), TQRBin::First);
    mode.dmDefaultSource = 14;
    EXPECT_EQ(Attached(WithMode(mode)).settings.OutputBin(), TQRBin::Cassette);
    mode.dmDefaultSource = 1;
    EXPECT_EQ(Attached(WithMode(mode)).settings.OutputBin(), TQRBin::First);
}

TEST(PrinterSettingsRead, MissingFieldBitsFallBack) {
    DeviceMode mode{0, DMORIENT_LANDSCAPE, 5, 0, 0, 4, 4, 2};
    Attached a(WithMode(mode));
    EXPECT_EQ(a.settings.Copies(), 1);
    EXPECT_EQ(a.settings.OutputBin(), TQRBin::First);
    EXPECT_EQ(a.settings.PaperSize(), TQRPaperSize::Default);
    EXPECT_FALSE(a.settings.Duplex());
}

TEST(PrinterSettingsRead, PaperListSkipsUnknownAndDefaultIdsAndAlwaysOffersCustom) {
    FakePrinterInfo info;
    info.Papers = {0, 999, 10};
    Attached a(info);
    EXPECT_TRUE(a.settings.HasPaperSize(TQRPaperSize::A4Small));
    EXPECT_FALSE(a.settings.HasPaperSize(TQRPaperSize::A4));
    EXPECT_TRUE(a.settings.HasPaperSize(TQRPaperSize::Custom));

    info.Papers = {};  // the query failed
    Attached failed(info);
    EXPECT_FALSE(failed.settings.HasPaperSize(TQRPaperSize::A4Small));
    EXPECT_TRUE(failed.settings.HasPaperSize(TQRPaperSize::Custom));
}

TEST(PrinterSettingsRead, DriverNameStaysWhenTheSpoolerCannotTell) {
    FakePrinterInfo info;
    info.DriverPath.reset();
    EXPECT_EQ(Attached(info).settings.Driver(), "LASERDRV");
    info.DriverPath = "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\3\\" + std::string(70, 'd') + ".DLL";
    EXPECT_EQ(Attached(info).settings.Driver(), std::string(63, 'd'));
}

TEST(PrinterSettingsRead, LongNamesAreCut) {
    FakePrinterInfo info;
    info.Name = std::string(200, 'n');
    info.Port = std::string(130, 'p');
    Attached a(info);
    EXPECT_EQ(a.settings.Device(), std::string(127, 'n'));
    EXPECT_EQ(a.settings.Port(), std::string(127, 'p'));
}

// The device reporting no resolution used to divide by zero.
TEST(PrinterSettingsRead, NoResolutionGivesZeroOffsetsAndSizes) {
    FakePrinterInfo info;
    info.Caps[DeviceCap::LOGPIXELSX] = 0;
    info.Caps[DeviceCap::LOGPIXELSY] = 0;
    Attached a(info);
    EXPECT_EQ(a.settings.PhysLeft(), 0);
    EXPECT_EQ(a.settings.PhysTop(), 0);
}

// A printer without device settings used to leave the settings reading a missing record.
TEST(PrinterSettingsRead, PrinterWithoutDeviceModeOffersNothing) {
    FakePrinterInfo info;
    info.DefaultMode.reset();
    Attached a(info);
    EXPECT_FALSE(a.settings.HasCapability(DM_COPIES));
    EXPECT_EQ(a.settings.Copies(), 1);
    EXPECT_EQ(a.settings.PaperSize(), TQRPaperSize::Default);
    a.printer.Log.clear();
    a.settings.WriteToPrinter();
    EXPECT_EQ(a.printer.Log, std::vector<std::string>{"GetPrinter"});
}

TEST(PrinterSettingsRead, AttachingAPrinterListWithoutPrintersReadsNothing) {
    FakePrinter printer({}, -1);
    TPrinterSettings settings;
    settings.AttachPrinter(&printer);
    EXPECT_EQ(printer.Log, std::vector<std::string>{"Printers"});
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
}

// --- setters ---------------------------------------------------------------------------

// Without a printer, paper and orientation are free (a loaded report must keep its own);
// what only a printer can do is still refused.
TEST(PrinterSettingsSetters, WithoutAPrinterPaperAndOrientationAreFree) {
    TPrinterSettings s;
    s.SetCopies(3);
    s.SetOrientation(poLandscape);
    s.SetOutputBin(TQRBin::Manual);
    s.SetPaperSize(TQRPaperSize::Letter);
    EXPECT_EQ(s.Copies(), 0);
    EXPECT_EQ(s.Orientation(), poLandscape);
    EXPECT_EQ(s.OutputBin(), TQRBin::First);
    EXPECT_EQ(s.PaperSize(), TQRPaperSize::Letter);
    EXPECT_FALSE(s.HasCapability(0));
    s.SetPaperSize(TQRPaperSize::Default);
    EXPECT_EQ(s.PaperSize(), TQRPaperSize::Default);
    EXPECT_NO_THROW(s.ReadPrinterSettings());
    EXPECT_NO_THROW(s.WriteToPrinter());
}

TEST(PrinterSettingsSetters, PaperSizeTheDeviceDoesNotListIsIgnored) {
    FakePrinterInfo info;
    info.Papers = {9};
    Attached a(info);
    a.settings.SetPaperSize(TQRPaperSize::Legal);
    EXPECT_EQ(a.settings.PaperSize(), TQRPaperSize::A4);
    a.settings.SetPaperSize(TQRPaperSize::Default);
    EXPECT_EQ(a.settings.PaperSize(), TQRPaperSize::Default);
}

TEST(PrinterSettingsSetters, SheetDimensionsOnlyForCustomPaper) {
    Attached a;
    a.settings.SetSheetWidth(1000);
    EXPECT_EQ(a.settings.SheetWidth(), 2100);  // A4 from the table
    a.settings.SetPaperSize(TQRPaperSize::Custom);
    a.settings.SetSheetWidth(1000);
    a.settings.SetSheetLength(2000);
    EXPECT_EQ(a.settings.SheetWidth(), 1000);
    EXPECT_EQ(a.settings.SheetLength(), 2000);
}

// The two "\\276" in the envelope names are four characters, not an escape.
TEST(PaperSizes, EnvelopeNamesKeepTheirBackslash) {
    EXPECT_EQ(std::string(PaperInfo(TQRPaperSize::Env12).displayName), "Envelope #12 4 \\276 x 11");
    EXPECT_EQ(std::string(PaperInfo(TQRPaperSize::Env14).displayName).size(), 24u);
}

TEST(PrinterSettingsSetters, NegativeCapabilityIsNeverOffered) {
    Attached a;
    EXPECT_FALSE(a.settings.HasCapability(-1));
    EXPECT_TRUE(a.settings.HasCapability(DM_COPIES | DM_ORIENTATION));
    EXPECT_FALSE(a.settings.HasCapability(DM_COPIES | DM_PAPERLENGTH));
}

// --- writing ---------------------------------------------------------------------------

TEST(PrinterSettingsWrite, WritesTheWishesIntoTheDeviceMode) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmDefaultSource = 0x107;  // a driver flag in bit 0x100 that must survive
    Attached a(WithMode(mode));
    a.settings.SetCopies(3);
    a.settings.SetOrientation(poLandscape);
    a.settings.SetPaperSize(TQRPaperSize::Legal);
    a.settings.SetOutputBin(TQRBin::Manual);
    a.printer.Log.clear();
    a.settings.WriteToPrinter();
    const std::vector<std::string> expected = {
        "GetPrinter", "SetPrinter Laser fields=0x1303 orient=2 paper=5 length=0 width=0 copies=3 source=260 duplex=1"};
    EXPECT_EQ(a.printer.Log, expected);
}

TEST(PrinterSettingsWrite, CustomPaperPutsTheDimensionsInTenthsOfAMillimetre) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    mode.dmPaperSize = DMPAPER_USER;
    Attached a(WithMode(mode));
    ASSERT_EQ(a.settings.PaperSize(), TQRPaperSize::Custom);
    a.settings.SetSheetWidth(1000);
    a.settings.SetSheetLength(1500);
    a.settings.WriteToPrinter();
    ASSERT_TRUE(a.printer.Modes[0]);
    EXPECT_EQ(a.printer.Modes[0]->dmPaperSize, 256);
    EXPECT_EQ(a.printer.Modes[0]->dmPaperWidth, 1000);
    EXPECT_EQ(a.printer.Modes[0]->dmPaperLength, 1500);
}

TEST(PrinterSettingsWrite, CustomDimensionsNeedTheirFieldBits) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmPaperSize = DMPAPER_USER;
    Attached a(WithMode(mode));
    a.settings.SetSheetWidth(1000);
    a.settings.WriteToPrinter();
    EXPECT_EQ(a.printer.Modes[0]->dmPaperWidth, 0);
    EXPECT_EQ(a.printer.Modes[0]->dmFields & (DM_PAPERWIDTH | DM_PAPERLENGTH), 0u);
}

TEST(PrinterSettingsWrite, DuplexOffKeepsTheDevicesDuplex) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmFields &= ~DM_DUPLEX;
    mode.dmDuplex = 2;
    Attached a(WithMode(mode));
    ASSERT_FALSE(a.settings.Duplex());
    a.settings.WriteToPrinter();
    EXPECT_EQ(a.printer.Modes[0]->dmDuplex, 2);
    EXPECT_EQ(a.printer.Modes[0]->dmFields & DM_DUPLEX, 0u);
}

TEST(PrinterSettingsWrite, DuplexOnBecomesHorizontal) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmDuplex = 2;
    Attached a(WithMode(mode));
    ASSERT_TRUE(a.settings.Duplex());
    a.settings.WriteToPrinter();
    EXPECT_EQ(a.printer.Modes[0]->dmDuplex, DMDUP_HORIZONTAL);
}

TEST(PrinterSettingsWrite, CopiesAreWrittenEvenWithoutTheirFieldBit) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmFields &= ~DM_COPIES;
    Attached a(WithMode(mode));
    a.settings.SetCopies(5);  // ignored: the device has no copies setting
    a.settings.WriteToPrinter();
    EXPECT_EQ(a.printer.Modes[0]->dmCopies, 1);
    EXPECT_NE(a.printer.Modes[0]->dmFields & DM_COPIES, 0u);
}

TEST(PrinterSettingsWrite, DefaultPaperLeavesTheDevicePaper) {
    Attached a;
    a.settings.SetPaperSize(TQRPaperSize::Default);
    a.settings.WriteToPrinter();
    EXPECT_EQ(a.printer.Modes[0]->dmPaperSize, 9);
}

TEST(PrinterSettingsWrite, ResetDeviceModeDropsEveryChange) {
    Attached a;
    a.settings.SetCopies(4);
    a.settings.WriteToPrinter();
    ASSERT_EQ(a.printer.Modes[0]->dmCopies, 4);
    a.printer.Log.clear();
    ResetDeviceMode(a.printer);
    const std::vector<std::string> expected = {"GetPrinter", "SetPrinter Laser none"};
    EXPECT_EQ(a.printer.Log, expected);
    EXPECT_EQ(a.printer.Modes[0], FakePrinterInfo{}.DefaultMode);
}

}  // namespace
}  // namespace qrp
