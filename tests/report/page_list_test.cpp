#include "report/page_list.h"

#include <atomic>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "base/errors.h"
#include "report_fixtures.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

class PageListFile : public ::testing::Test {
  protected:
    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = m_dir / name;
        test::WriteFileBytes(path, bytes);
        return path;
    }
    test::ScratchDir m_dir;
};

TEST_F(PageListFile, OnePageLayoutLinksBothWays) {
    const Bytes page = test::MakeEmf(5, 1);
    const Bytes file = test::MakeReport({page}, false);
    const auto length = static_cast<std::int32_t>(page.size());
    ASSERT_EQ(file.size(), static_cast<std::size_t>(140 + length));
    EXPECT_EQ(LoadU16(&file[0]), 3);
    EXPECT_EQ(LoadU16(&file[2]), 309);
    EXPECT_EQ(LoadI32(&file[8]), 1);
    EXPECT_EQ(file[25], 0);
    EXPECT_EQ(LoadI32(&file[128]), 1);
    EXPECT_EQ(LoadI32(&file[132]), 140 + length);
    EXPECT_TRUE(std::equal(page.begin(), page.end(), file.begin() + 136));
    EXPECT_EQ(LoadI32(&file[136 + length]), 128);
    // Reserved bytes and gaps are zeros.
    for (int i : {4, 5, 6, 7, 12, 13, 14, 15, 24, 26, 100, 127})
        EXPECT_EQ(file[i], 0) << i;
}

TEST_F(PageListFile, PackedLayoutStoresTheCountThenTheCode) {
    const Bytes page = test::MakeEmf(40, 2);
    const Bytes file = test::MakeReport({page}, true);
    EXPECT_EQ(file[25], 1);
    EXPECT_EQ(LoadI32(&file[136]), static_cast<std::int32_t>(page.size()));
    const auto size = static_cast<std::int32_t>(file.size());
    EXPECT_EQ(LoadI32(&file[132]), size);
    EXPECT_EQ(LoadI32(&file[size - 4]), 128);
    EXPECT_LT(file.size(), page.size());
}

TEST_F(PageListFile, HeaderStampIsTheLocalTimeAsADayCount) {
    const Bytes file = test::MakeReport({test::MakeEmf(0, 1)}, false);
    const double stamp = LoadF64(&file[16]);
    EXPECT_GT(stamp, 45000.0);  // after 2023
    EXPECT_LT(stamp, 80000.0);
    EXPECT_EQ(StampTimeToIso(36526.5), "2000-01-01T12:00:00");
}

TEST_F(PageListFile, FetchesEveryPageInAnyOrder) {
    for (bool packed : {false, true}) {
        const auto pages = test::MakePages(5);
        TQRPageList list;
        list.OpenReport(Write("five.qrp", test::MakeReport(pages, packed)).string());
        EXPECT_EQ(list.PageTotal(), 5);
        EXPECT_EQ(list.Compression(), packed) << "the flag comes from the header";
        EXPECT_EQ(list.FetchPage(6), nullptr);
        for (int n : {1, 5, 2, 4, 3, 3, 1, 5})
            EXPECT_EQ(list.FetchPage(n)->Bytes(), pages[n - 1]) << n;
        // After the last page the position is at the end of the stream.
        list.FetchPage(5);
        EXPECT_EQ(list.Stream()->Position(), list.Stream()->Size());
    }
}

TEST_F(PageListFile, FetchBeyondTheEndTouchesNothing) {
    TQRPageList list;
    list.OpenReport(Write("two.qrp", test::MakeReport(test::MakePages(2), false)).string());
    list.Stream()->SetPosition(7);
    EXPECT_EQ(list.FetchPage(3), nullptr);
    EXPECT_EQ(list.Stream()->Position(), 7);
    EXPECT_THROW(list.FetchPage(0), EQRError);
    EXPECT_THROW(list.FetchPage(-3), EQRError);
}

TEST_F(PageListFile, OnePageIsBothFirstAndLast) {
    const Bytes page = test::MakeEmf(2, 9);
    TQRPageList list;
    list.OpenReport(Write("one.qrp", test::MakeReport({page}, false)).string());
    list.GoLast();
    EXPECT_EQ(list.Stream()->Position(), 128);
    EXPECT_EQ(list.FetchPage(1)->Bytes(), page);
}

TEST_F(PageListFile, LegacyHeaderIsRead) {
    // A 124-byte header: PageTotal at 8, StampTime at 12, Compression at 21.
    const auto pages = test::MakePages(3);
    const Bytes current = test::MakeReport(pages, false);
    Bytes legacy(124, 0);
    StoreU16(&legacy[0], 3);
    StoreI32(&legacy[8], 3);
    StoreF64(&legacy[12], 36526.5);
    // Records shift by 4 bytes: rewrite their offsets.
    Bytes records(current.begin() + 128, current.end());
    for (std::size_t at = 0; at < records.size();) {
        const std::int32_t next = LoadI32(&records[at + 4]) - 4;
        StoreI32(&records[at + 4], next);
        const std::size_t tail = static_cast<std::size_t>(next - 124) - 4;
        StoreI32(&records[tail], LoadI32(&records[tail]) - 4);
        at = tail + 4;
    }
    legacy.insert(legacy.end(), records.begin(), records.end());
    TQRPageList list;
    list.OpenReport(Write("legacy.qrp", legacy).string());
    EXPECT_EQ(list.HeaderSize(), 124);
    EXPECT_EQ(list.PageTotal(), 3);
    EXPECT_EQ(list.Header().StampTime, 36526.5);
    EXPECT_EQ(list.FetchPage(2)->Bytes(), pages[1]);
    EXPECT_EQ(list.FetchPage(1)->Bytes(), pages[0]);
    EXPECT_EQ(list.FetchPage(3)->Bytes(), pages[2]);
}

TEST_F(PageListFile, ShortFilesCannotBeLoaded) {
    TQRPageList empty;
    empty.SetCompression(false);
    empty.AttachStream(std::make_unique<TQRStream>(100000));
    empty.Finish();
    const fs::path noPages = m_dir / "none.qrp";
    empty.SaveCopy(noPages.string());
    EXPECT_EQ(fs::file_size(noPages), 128u);

    for (const fs::path& path : {noPages, Write("empty.qrp", {})}) {
        TQRPageList list;
        try {
            list.OpenReport(path.string());
            FAIL() << path;
        } catch (const StreamError& error) {
            EXPECT_STREQ(error.what(), "Stream read error");
        }
        EXPECT_EQ(list.Stream(), nullptr);
        EXPECT_EQ(list.FetchPage(1), nullptr);
    }
}

TEST_F(PageListFile, PackedBodyReadAsPlainIsInvalid) {
    TQRPageList list;
    list.OpenReport(Write("packed.qrp", test::MakeReport(test::MakePages(2), true)).string());
    list.SetCompression(false);
    EXPECT_THROW(list.FetchPage(1), Error);
}

TEST_F(PageListFile, SaveCopyKeepsTheChainUsable) {
    const auto pages = test::MakePages(5);
    TQRPageList list;
    list.OpenReport(Write("in.qrp", test::MakeReport(pages, false)).string());
    list.FetchPage(2);
    list.SaveCopy((m_dir / "out.qrp").string());
    EXPECT_EQ(list.Stream()->Position(), list.Stream()->Size());
    EXPECT_EQ(list.FetchPage(3)->Bytes(), pages[2]);
    EXPECT_EQ(test::ReadFileBytes(m_dir / "out.qrp"), test::ReadFileBytes(m_dir / "in.qrp"));
}

TEST_F(PageListFile, PagesFetchedOnAnotherThreadStayWholeWhileTheReportIsSaved) {
    // The viewer's search and thumbnails fetch pages on threads of their own while the
    // user saves: both move the one stream of the report.
    const auto pages = test::MakePages(40);
    TQRPageList list;
    list.OpenReport(Write("in.qrp", test::MakeReport(pages, true)).string());
    std::atomic<bool> saving{true};
    int wrong = 0;
    std::thread reader([&] {
        while (saving)
            for (int n = 1; n <= 40; ++n) {
                try {
                    wrong += list.FetchPage(n)->Bytes() != pages[n - 1];
                } catch (const std::exception&) {
                    ++wrong;
                }
                std::this_thread::yield();  // as a reader does, with the page's text to read
            }
    });
    for (int copy = 0; copy < 60; ++copy)
        list.SaveCopy((m_dir / "out.qrp").string());
    saving = false;
    reader.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(test::ReadFileBytes(m_dir / "out.qrp"), test::ReadFileBytes(m_dir / "in.qrp"));
}

TEST_F(PageListFile, SaveCopyReplacesOnlyWhenComplete) {
    const fs::path target = Write("target.qrp", {1, 2, 3});
    TQRPageList list;
    list.OpenReport(Write("in.qrp", test::MakeReport(test::MakePages(3), false)).string());
    list.SaveCopy(target.string());
    EXPECT_EQ(test::ReadFileBytes(target), test::ReadFileBytes(m_dir / "in.qrp"));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(m_dir.Path()))
        ++files;
    EXPECT_EQ(files, 2) << "no temporary file is left behind";

    try {
        list.SaveCopy((m_dir / "missing" / "x.qrp").string());
        FAIL();
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), ("Cannot create file \"" + (m_dir / "missing" / "x.qrp").string() +
                                    "\". No such file or directory")
                                       .c_str());
    }
}

TEST_F(PageListFile, SavingOntoTheOpenReportIsRefused) {
    const fs::path report = Write("open.qrp", test::MakeReport(test::MakePages(2), false));
    const Bytes before = test::ReadFileBytes(report);
    TQRPageList list;
    list.OpenReport(report.string());
    EXPECT_THROW(list.SaveCopy(report.string()), FileError);
    EXPECT_THROW(list.SaveCopy((m_dir / "." / "open.qrp").string()), FileError);
    EXPECT_EQ(test::ReadFileBytes(report), before);
    EXPECT_EQ(list.FetchPage(2)->Bytes(), test::MakePages(2)[1]);
}

TEST(PageListRecording, AppendKeepsTheHeaderAtOnePageUntilFinish) {
    TQRPageList list;
    list.AttachStream(std::make_unique<TQRStream>(100000));
    const auto pages = test::MakePages(3);
    for (const Bytes& page : pages)
        list.AppendPage(*PagePicture::FromBytes(page));
    EXPECT_EQ(list.Stream()->Position(), list.Stream()->Size());
    std::uint8_t header[12];
    list.Stream()->SetPosition(0);
    list.Stream()->ReadBuffer(header, sizeof header);
    EXPECT_EQ(LoadI32(&header[8]), 1);
    // Pages can be read back between appends, as a preview of a running report does.
    EXPECT_EQ(list.FetchPage(2)->Bytes(), pages[1]);
    list.AppendPage(*PagePicture::FromBytes(pages[0]));
    EXPECT_EQ(list.FetchPage(4)->Bytes(), pages[0]);
    list.Finish();
    list.Stream()->SetPosition(0);
    list.Stream()->ReadBuffer(header, sizeof header);
    EXPECT_EQ(LoadI32(&header[8]), 4);
}

TEST(PageListRecording, SpillsToATemporaryFileAndStillReads) {
    TQRPageList list;
    list.SetCompression(true);
    list.AttachStream(std::make_unique<TQRStream>(2000));
    const auto pages = test::MakePages(30);
    for (const Bytes& page : pages)
        list.AppendPage(*PagePicture::FromBytes(page));
    EXPECT_FALSE(list.Stream()->Resident());
    for (int n : {30, 1, 17})
        EXPECT_EQ(list.FetchPage(n)->Bytes(), pages[n - 1]);
}

}  // namespace
}  // namespace qrp
