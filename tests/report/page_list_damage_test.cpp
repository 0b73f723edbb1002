// Damaged report files: every walk must end in a clear error naming the page, never loop,
// never read outside the file, and leave the list usable.
#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "base/errors.h"
#include "report/page_list.h"
#include "report_fixtures.h"

namespace qrp {
namespace {

using test::Bytes;

// Offsets of each record in a report made by MakeReport.
std::vector<std::int32_t> RecordOffsets(const Bytes& file) {
    std::vector<std::int32_t> offsets;
    for (std::int32_t at = 128; at < static_cast<std::int32_t>(file.size()); at = LoadI32(&file[at + 4]))
        offsets.push_back(at);
    return offsets;
}

// Opens report bytes held in memory, as a page list over any stream can.
class DamagedReport : public ::testing::Test {
  protected:
    void SetUp() override {
        m_pages = test::MakePages(6);
        m_file = test::MakeReport(m_pages, false);
        m_offsets = RecordOffsets(m_file);
        ASSERT_EQ(m_offsets.size(), 6u);
    }

    void Open(bool packed = false) {
        auto stream = std::make_unique<TQRStream>(1 << 30);
        stream->WriteBuffer(m_file.data(), m_file.size());
        m_list.AttachStream(std::move(stream));
        m_list.ReadHeader();
        m_list.SetCompression(packed);
    }

    // Fetching page n fails with EQRError whose text names the page.
    void ExpectDamaged(std::int32_t n) {
        try {
            m_list.FetchPage(n);
            FAIL() << "page " << n << " should not be found";
        } catch (const EQRError& error) {
            EXPECT_NE(std::string(error.what()).find("page " + std::to_string(n)), std::string::npos) << error.what();
        }
    }

    std::vector<Bytes> m_pages;
    Bytes m_file;
    std::vector<std::int32_t> m_offsets;
    TQRPageList m_list;
};

TEST_F(DamagedReport, LinkOutsideTheFile) {
    StoreI32(&m_file[m_offsets[1] + 4], 0x7FFFFFF0);
    Open();
    ExpectDamaged(3);
    EXPECT_EQ(m_list.FetchPage(1)->Bytes(), m_pages[0]) << "the list stays usable";
}

TEST_F(DamagedReport, LinkThatDoesNotAdvance) {
    StoreI32(&m_file[m_offsets[1] + 4], m_offsets[1]);
    Open();
    ExpectDamaged(2);  // the damaged record itself
    ExpectDamaged(3);
    StoreI32(&m_file[m_offsets[1] + 4], m_offsets[0]);  // a loop back to page 1
    Open();
    ExpectDamaged(3);
}

TEST_F(DamagedReport, WrongPageNumber) {
    StoreI32(&m_file[m_offsets[2]], 9);
    Open();
    ExpectDamaged(3);
    EXPECT_EQ(m_list.FetchPage(2)->Bytes(), m_pages[1]);
}

TEST_F(DamagedReport, PageCountTheChainCannotSatisfy) {
    StoreI32(&m_file[8], 40);
    Open();
    ExpectDamaged(40);
    ExpectDamaged(7);
    EXPECT_EQ(m_list.FetchPage(6)->Bytes(), m_pages[5]) << "pages that exist are still read";
}

TEST_F(DamagedReport, BrokenBackwardLinkFallsBackToTheForwardChain) {
    // Reaching page 5 walks back from the last page through RecordStart fields; the
    // forward links still lead there.
    StoreI32(&m_file[m_offsets[5] - 4], 3);
    Open();
    m_list.FetchPage(6);
    EXPECT_EQ(m_list.FetchPage(5)->Bytes(), m_pages[4]);
    StoreI32(&m_file[m_offsets[4] + 4], 0x7FFFFFF0);  // and now the forward link too
    Open();
    m_list.FetchPage(6);
    ExpectDamaged(5);
}

TEST_F(DamagedReport, HeaderCountNoChainCanSatisfy) {
    const auto expectCount = [this](std::int32_t count) {
        StoreI32(&m_file[8], count);
        try {
            Open();
            FAIL() << count << " pages should not load";
        } catch (const EQRError& error) {
            EXPECT_NE(std::string(error.what()).find("counts " + std::to_string(count) + " pages"), std::string::npos)
                << error.what();
        }
    };
    expectCount(-3);
    expectCount(static_cast<std::int32_t>(m_file.size()));  // more records than bytes
}

TEST_F(DamagedReport, LastRecordStartOutsideTheFile) {
    StoreI32(&m_file[m_file.size() - 4], -100);
    Open();
    ExpectDamaged(6);
}

TEST_F(DamagedReport, EmfLongerThanItsRecordIsAReadError) {
    StoreU32(&m_file[m_offsets[0] + 8 + 48], 1u << 30);
    Open();
    EXPECT_THROW(m_list.FetchPage(1), StreamError);
    EXPECT_EQ(m_list.FetchPage(2)->Bytes(), m_pages[1]);
}

TEST_F(DamagedReport, BodyThatIsNoPicture) {
    m_file[m_offsets[0] + 8] = 0x7F;
    Open();
    try {
        m_list.FetchPage(1);
        FAIL();
    } catch (const EQRError& error) {
        EXPECT_STREQ(error.what(), "Metafile is not valid");
    }
}

TEST_F(DamagedReport, PlaceableWindowsMetafileIsRejected) {
    StoreU32(&m_file[m_offsets[0] + 8], 0x9AC6CDD7);
    Open();
    try {
        m_list.FetchPage(1);
        FAIL();
    } catch (const EQRError& error) {
        EXPECT_NE(std::string(error.what()).find("placeable"), std::string::npos) << error.what();
    }
    EXPECT_EQ(m_list.FetchPage(2)->Bytes(), m_pages[1]);
}

TEST_F(DamagedReport, TruncatedPackedPage) {
    m_file = test::MakeReport(m_pages, true);
    m_offsets = RecordOffsets(m_file);
    // Claim more plain bytes than the code can hold: the decode runs out of code.
    const std::int32_t count = LoadI32(&m_file[m_offsets[0] + 8]);
    StoreI32(&m_file[m_offsets[0] + 8], count + 500);
    Open(true);
    EXPECT_THROW(m_list.FetchPage(1), StreamError);
    // An absurd count is refused before anything is allocated.
    StoreI32(&m_file[m_offsets[0] + 8], 0x7FFFFFFF);
    Open(true);
    EXPECT_THROW(m_list.FetchPage(1), StreamError);
    StoreI32(&m_file[m_offsets[0] + 8], -1);
    Open(true);
    EXPECT_THROW(m_list.FetchPage(1), StreamError);
    EXPECT_EQ(m_list.FetchPage(4)->Bytes(), m_pages[3]);
}

TEST_F(DamagedReport, EveryTruncationEndsInAnErrorOrAValidPage) {
    const Bytes whole = m_file;
    for (std::size_t size = 0; size < whole.size(); size += 37) {
        m_file.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        try {
            Open();
        } catch (const Error&) {
            continue;
        }
        for (std::int32_t n = 1; n <= 6; ++n) {
            try {
                const auto page = m_list.FetchPage(n);
                EXPECT_EQ(page->Bytes(), m_pages[n - 1]);
            } catch (const Error&) {
            }
        }
    }
}

}  // namespace
}  // namespace qrp
