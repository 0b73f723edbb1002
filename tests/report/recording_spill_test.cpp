// A long recording: its pages move to a temporary file, so memory stays bounded however
// many pages there are, and the file goes with the pages, also after an abort.
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "report/document.h"
#include "report/no_printer.h"
#include "support/child_process.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

constexpr int kPages = 5000;

// The address sanitizer keeps freed memory in quarantine, so resident memory says nothing
// about what a recording holds there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// Resident memory of this process in kB, from /proc/self/status.
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// A page of twenty rows of text and a rule each: some 5 kB of records.
void DrawPage(TQRCanvas& canvas, int page) {
    for (int row = 0; row < 20; ++row) {
        const std::int32_t y = 60 + 24 * row;
        canvas.TextOut(60, y, "Customer " + std::to_string(page * 20 + row));
        canvas.TextOut(700, y, std::to_string(row * 1250) + ".00", {.Horizontal = haRight});
        canvas.Line(60, y + 20, 734, y + 20);
    }
}

class LongRecording : public ::testing::Test {
  protected:
    // Records `pages` pages and leaves the run open.
    void Record(int pages) {
        doc.OpenDoc();
        for (int n = 1; n <= pages; ++n) {
            doc.NewPage();
            DrawPage(*doc.Canvas(), n);
        }
    }

    TQRPrinter doc{std::make_unique<NoPrinter>()};
};

TEST_F(LongRecording, MovesToATemporaryFileAndKeepsMemoryBounded) {
    // Warm up the allocator and the first pages, so the baseline is a recording in progress.
    Record(100);
    const long before = ResidentKb();
    for (int n = 101; n <= kPages; ++n) {
        doc.NewPage();
        DrawPage(*doc.Canvas(), n);
    }
    doc.EndDoc();
    const long after = ResidentKb();
    TQRStream& stream = *doc.PageStream();
    EXPECT_FALSE(stream.Resident());
    const std::string file = stream.TempPath();
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::path(file).filename().string().rfind("QRP", 0), 0u);
    const auto size = std::filesystem::file_size(file);
    EXPECT_GT(size, 10'000'000u) << "the pages are in the file";
    if (!kSanitized) {
        EXPECT_LT(after - before, static_cast<long>(size / 1024 / 4))
            << "resident memory grew by " << after - before << " kB for a " << size / 1024 << " kB recording";
    }
    EXPECT_EQ(doc.Pages().PageTotal(), kPages);
    EXPECT_NE(doc.FetchPage(kPages / 2), nullptr);
    doc.DiscardPages();
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(LongRecording, AnAbortedRecordingDeletesItsFileWithTheDocument) {
    std::string file;
    {
        TQRPrinter aborted{std::make_unique<NoPrinter>()};
        aborted.OpenDoc();
        for (int n = 1; n <= 100; ++n) {
            aborted.NewPage();
            DrawPage(*aborted.Canvas(), n);
        }
        aborted.AbortDoc();
        ASSERT_FALSE(aborted.PageStream()->Resident());
        file = aborted.PageStream()->TempPath();
        EXPECT_TRUE(std::filesystem::exists(file));
        EXPECT_EQ(aborted.Pages().PageTotal(), 100);
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}

// Discarding a run that is still recording also removes its file.
TEST_F(LongRecording, DiscardingABusyRecordingDeletesItsFile) {
    Record(100);
    const std::string file = doc.PageStream()->TempPath();
    ASSERT_TRUE(std::filesystem::exists(file));
    doc.DiscardPages();
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(LongRecording, AFullDiskEndsTheRecordingWithEveryPageBeforeIt) {
    test::ScratchDir dir;
    const std::string said = test::RunInChild({std::nullopt, 200000}, [&] {
        ::setenv("TMPDIR", dir.Path().c_str(), 1);
        try {
            Record(200);
        } catch (const StreamError&) {
        }
        doc.AbortDoc();
        if (doc.PageTotal() < 1 || doc.PageTotal() >= 200 || doc.PageTotal() != doc.Pages().PageTotal())
            throw std::runtime_error("the document counts " + std::to_string(doc.PageTotal()) + " pages");
        for (std::int32_t n = 1; n <= doc.PageTotal(); ++n)
            doc.FetchPage(n);  // each stored whole: a damaged one throws
    });
    EXPECT_EQ(said, "");
}

}  // namespace
}  // namespace qrp
