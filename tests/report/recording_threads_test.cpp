// A host may show a report while it is still being recorded: its preview fetches pages and
// moves about the list on a thread of its own while the run appends them. Run by the
// ThreadSanitizer build too (test.sh --tsan).
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "report/document.h"
#include "support/fake_printer.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

TEST(RecordingWhileShown, PagesReadOnAnotherThreadDuringTheRunAreThoseRecorded) {
    constexpr int kPages = 80;
    TQRPrinter document(std::make_unique<test::FakePrinter>());
    std::vector<std::vector<std::uint8_t>> seen(kPages + 1);
    std::atomic<bool> recording{true};
    std::atomic<int> fetched = 0;
    document.OpenDoc();
    std::thread shower([&] {
        while (recording) {
            for (std::int32_t n = 1; n <= document.PageTotal(); ++n)
                if (const std::unique_ptr<PagePicture> page = document.FetchPage(n)) {
                    seen[static_cast<std::size_t>(n)] = page->Bytes();
                    ++fetched;
                }
            // As the thumbnails do, straight from the list: each page once it is there.
            for (std::int32_t n = 1; n <= kPages; ++n)
                if (const std::unique_ptr<PagePicture> page = document.Pages().FetchPage(n))
                    seen[static_cast<std::size_t>(n)] = page->Bytes();
            try {
                document.Pages().GoLast();
                document.Pages().GoFirst();
            } catch (const EQRError&) {
                // no page stored yet
            }
        }
    });
    for (int n = 1; n <= kPages; ++n) {
        document.NewPage();
        document.Canvas()->Rectangle({n, 10, n + 5, 20});
        // Now and then the run waits for the preview to read what it has, as a report
        // waiting on its data does.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (const int before = fetched;
             n % 10 == 2 && fetched == before && std::chrono::steady_clock::now() < deadline;)
            std::this_thread::yield();
    }
    document.EndDoc();
    recording = false;
    shower.join();
    EXPECT_GT(fetched, 0);

    // What was read meanwhile is what the report holds, and the file is whole.
    const test::ScratchDir dir;
    document.Save((dir / "run.qrp").string());
    TQRPrinter loaded(std::make_unique<test::FakePrinter>());
    loaded.Load((dir / "run.qrp").string());
    ASSERT_EQ(loaded.PageTotal(), kPages);
    for (int n = 1; n <= kPages; ++n) {
        const std::unique_ptr<PagePicture> page = loaded.FetchPage(n);
        ASSERT_NE(page, nullptr) << n;
        EXPECT_EQ(page->Bytes(), document.FetchPage(n)->Bytes()) << n;
        if (!seen[static_cast<std::size_t>(n)].empty()) {
            EXPECT_EQ(seen[static_cast<std::size_t>(n)], page->Bytes()) << n;
        }
    }
}

}  // namespace
}  // namespace qrp
