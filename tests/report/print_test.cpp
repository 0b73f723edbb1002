#include <climits>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "document_fixtures.h"
#include "report/document.h"
#include "report/host_hooks.h"
#include "support/fake_printer.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

using test::FakePrinter;
using Lines = std::vector<std::string>;

// A loaded document of `pages` A4 pages over a fresh fake printer whose log starts empty.
class PrintJob : public ::testing::Test {
  protected:
    void Load(int pages) {
        auto printer = std::make_unique<FakePrinter>();
        fake = printer.get();
        doc = std::make_unique<TQRPrinter>(std::move(printer));
        const auto path = scratch / "report.qrp";
        test::WriteReportFile(path, pages);
        doc->Load(path.string());
        doc->Title = "Report";
        fake->Log.clear();
    }

    // What reached the device: job lines and drawings, without the queries around them.
    Lines Device() const {
        Lines lines;
        for (const std::string& line : fake->Log) {
            for (const char* kind : {"StartDoc", "StartPage", "StretchDraw", "EndPage", "EndDoc", "AbortDoc"}) {
                if (line.rfind(kind, 0) == 0)
                    lines.push_back(line.substr(0, line.find(" into")));
            }
        }
        return lines;
    }

    std::string DeviceModeWritten() const {
        for (const std::string& line : fake->Log) {
            if (line.rfind("SetPrinter", 0) == 0)
                return line;
        }
        return "";
    }

    test::ScratchDir scratch;
    FakePrinter* fake = nullptr;
    std::unique_ptr<TQRPrinter> doc;
};

// Leaves no hook behind for the next test.
struct Hook {
    explicit Hook(std::function<void()> hook) { SetProcessMessagesHook(std::move(hook)); }
    ~Hook() { SetProcessMessagesHook(nullptr); }
};

TEST_F(PrintJob, WholeReportReachesThePrinterInOrder) {
    Load(3);
    doc->Print();
    Lines expected = {
        "SetTitle Report",
        "Printing",
        "GetPrinter",
        "SetPrinter Laser fields=0x1303 orient=1 paper=9 length=0 width=0 copies=1 source=7 duplex=1",
        "CreateDC Laser fields=0x1303 orient=1 paper=9 length=0 width=0 copies=1 source=7 duplex=1",
        "SetAbortProc",
        "StartDoc Report",
        "StartPage",
    };
    for (int page = 1; page <= 3; ++page) {
        for (const char* line : {"Canvas", "PageWidth", "PageHeight"})
            expected.push_back(line);
        // The printable area, stretched: its last pixel is one short of the page size.
        expected.push_back("StretchDraw page " + std::to_string(page) + " into (0,0)-(4759,6775)");
        if (page < 3) {
            expected.push_back("EndPage");
            expected.push_back("StartPage");
        }
    }
    for (const char* line : {"Printing", "EndPage", "EndDoc"})
        expected.push_back(line);
    EXPECT_EQ(fake->Log, expected);
    EXPECT_FALSE(fake->Printing());
}

TEST_F(PrintJob, RangeInTheMiddle) {
    Load(5);
    doc->FirstPage = 2;
    doc->LastPage = 3;
    doc->Print();
    const Lines expected = {"StartDoc Report", "StartPage", "StretchDraw page 2",
                            "EndPage",         "StartPage", "StretchDraw page 3",
                            "EndPage",         "EndDoc"};
    EXPECT_EQ(Device(), expected);
}

TEST_F(PrintJob, OpenEndedRanges) {
    Load(3);
    doc->FirstPage = 3;
    doc->Print();
    EXPECT_EQ(Device(), (Lines{"StartDoc Report", "StartPage", "StretchDraw page 3", "EndPage", "EndDoc"}));
    fake->Log.clear();
    doc->FirstPage = 0;
    doc->LastPage = 1;
    doc->Print();
    EXPECT_EQ(Device(), (Lines{"StartDoc Report", "StartPage", "StretchDraw page 1", "EndPage", "EndDoc"}));
}

TEST_F(PrintJob, PagesPastTheEndComeOutBlank) {
    Load(1);
    doc->LastPage = 3;
    doc->Print();
    const Lines expected = {"StartDoc Report", "StartPage", "StretchDraw page 1",
                            "EndPage",         "StartPage", "EndPage",
                            "StartPage",       "EndPage",   "EndDoc"};
    EXPECT_EQ(Device(), expected);
}

TEST_F(PrintJob, BackwardRangeOpensAndClosesAnEmptyJob) {
    Load(5);
    doc->FirstPage = 4;
    doc->LastPage = 2;
    doc->Print();
    EXPECT_EQ(Device(), (Lines{"StartDoc Report", "StartPage", "EndPage", "EndDoc"}));
}

// Negative page numbers used to come out as blank sheets ahead of page 1.
TEST_F(PrintJob, RangeStartingBelowPageOneStartsAtPageOne) {
    Load(2);
    doc->FirstPage = -3;
    doc->LastPage = 1;
    doc->Print();
    EXPECT_EQ(Device(), (Lines{"StartDoc Report", "StartPage", "StretchDraw page 1", "EndPage", "EndDoc"}));
}

// A counter of the same width as the page numbers used to overflow past the last one.
TEST_F(PrintJob, LastPossiblePageNumberEndsTheLoop) {
    Load(1);
    doc->FirstPage = INT32_MAX;
    doc->LastPage = INT32_MAX;
    doc->Print();
    EXPECT_EQ(Device(), (Lines{"StartDoc Report", "StartPage", "EndPage", "EndDoc"}));
}

TEST_F(PrintJob, CopiesAndOrientationTravelInTheDeviceMode) {
    Load(2);
    doc->SetCopies(3);
    doc->SetOrientation(poLandscape);
    doc->Print();
    EXPECT_EQ(DeviceModeWritten(),
              "SetPrinter Laser fields=0x1303 orient=2 paper=9 length=0 width=0 copies=3 source=7 duplex=1");
    const Lines expected = {"StartDoc Report", "StartPage", "StretchDraw page 1",
                            "EndPage",         "StartPage", "StretchDraw page 2",
                            "EndPage",         "EndDoc"};
    EXPECT_EQ(Device(), expected);
}

TEST_F(PrintJob, CancelAbortsAfterThePageBeingPrinted) {
    Load(3);
    int pagesStarted = 0;
    Hook hook([&] {
        if (++pagesStarted == 2)
            doc->Cancel();
    });
    doc->Print();
    const Lines expected = {"StartDoc Report",    "StartPage", "StretchDraw page 1", "EndPage",  "StartPage",
                            "StretchDraw page 2", "EndPage",   "StartPage",          "AbortDoc", "EndPage"};
    EXPECT_EQ(Device(), expected);
    EXPECT_FALSE(fake->Printing());

    // The cancel ended that run only: the next print runs to the end.
    EXPECT_TRUE(doc->CancelRequested());
    fake->Log.clear();
    pagesStarted = 100;
    doc->Print();
    EXPECT_EQ(Device(),
              (Lines{"StartDoc Report", "StartPage", "StretchDraw page 1", "EndPage", "StartPage", "StretchDraw page 2",
                     "EndPage", "StartPage", "StretchDraw page 3", "EndPage", "EndDoc"}));
}

TEST_F(PrintJob, DrawingErrorReachesTheCallerAfterTheJobIsClosed) {
    Load(3);
    fake->FailDrawNumber = 2;
    EXPECT_THROW(doc->Print(), Error);
    const Lines expected = {"StartDoc Report", "StartPage", "StretchDraw page 1",
                            "EndPage",         "StartPage", "StretchDraw page 2",
                            "EndPage",         "EndDoc"};
    EXPECT_EQ(Device(), expected);
    EXPECT_FALSE(fake->Printing());
}

TEST_F(PrintJob, InvalidPrinterOpensNoJob) {
    Load(2);
    fake->FailCreateDC = true;
    try {
        doc->Print();
        FAIL() << "printed";
    } catch (const PrinterError& error) {
        EXPECT_STREQ(error.what(), "Printer selected is not valid");
    }
    EXPECT_EQ(Device(), Lines{});
}

TEST_F(PrintJob, JobLeftOpenOnThePrinterIsAbortedFirst) {
    Load(1);
    fake->BeginDoc();
    fake->Log.clear();
    doc->Print();
    ASSERT_GE(fake->Log.size(), 5u);
    EXPECT_EQ(fake->Log[2], "AbortDoc");
    EXPECT_EQ(fake->Log[3], "EndPage");
    EXPECT_EQ(fake->Log[4], "GetPrinter");
}

TEST(PrintNothing, UnloadedDocumentOrNoPrinterDoesNothing) {
    auto printer = std::make_unique<FakePrinter>();
    FakePrinter& fake = *printer;
    TQRPrinter doc(std::move(printer));
    fake.Log.clear();
    doc.Print();
    EXPECT_EQ(fake.Log, Lines{});

    auto none = std::make_unique<FakePrinter>(std::vector<test::FakePrinterInfo>{}, -1);
    FakePrinter& noPrinters = *none;
    TQRPrinter orphan(std::move(none));
    test::ScratchDir scratch;
    test::WriteReportFile(scratch / "r.qrp", 1);
    orphan.Load((scratch / "r.qrp").string());
    noPrinters.Log.clear();
    orphan.Print();
    EXPECT_EQ(noPrinters.Log, Lines{});
}

// The process-wide printer of the viewer: its job and device-mode errors.
TEST(PrinterObjectErrors, MessagesAreExact) {
    FakePrinter printer;
    auto message = [](auto&& call) -> std::string {
        try {
            call();
        } catch (const PrinterError& error) {
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(message([&] { printer.NewPage(); }), "Printer is not currently printing");
    EXPECT_EQ(message([&] { printer.EndDoc(); }), "Printer is not currently printing");
    EXPECT_EQ(message([&] { printer.Abort(); }), "Printer is not currently printing");
    printer.BeginDoc();
    EXPECT_EQ(message([&] { printer.BeginDoc(); }), "Printing in progress");
    EXPECT_EQ(message([&] { printer.SetPrinterIndex(0); }), "Printing in progress");
    printer.EndDoc();

    test::FakePrinterInfo bare;
    bare.DefaultMode.reset();
    FakePrinter noMode({bare}, 0);
    EXPECT_EQ(message([&] { noMode.Copies(); }), "Operation not supported on selected printer");
    EXPECT_EQ(message([&] { noMode.Orientation(); }), "Operation not supported on selected printer");
    FakePrinter noDefault({bare}, -1);
    EXPECT_EQ(message([&] { noDefault.PrinterIndex(); }), "There is no default printer currently selected");
}

}  // namespace
}  // namespace qrp
