#include "report/page_stream.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <numeric>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/short_stream.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Points TMPDIR somewhere for the life of one test.
class TempDirOverride {
  public:
    explicit TempDirOverride(const fs::path& dir) {
        if (const char* old = std::getenv("TMPDIR"))
            m_old = old;
        ::setenv("TMPDIR", dir.c_str(), 1);
    }
    ~TempDirOverride() {
        if (m_old.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", m_old.c_str(), 1);
    }

  private:
    std::string m_old;
};

Bytes Sequence(std::size_t size, std::uint8_t start = 0) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), start);
    return bytes;
}

Bytes ReadAll(Stream& stream) {
    Bytes bytes(static_cast<std::size_t>(stream.Size()));
    stream.SetPosition(0);
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

TEST(PageStream, StaysInMemoryUpToTheLimitAndMovesPastIt) {
    test::ScratchDir tmp;
    TempDirOverride env(tmp.Path());
    TQRStream stream(100000);
    const Bytes first = Sequence(99999);
    stream.WriteBuffer(first.data(), first.size());
    stream.WriteBuffer("x", 1);  // exactly the limit: still in memory
    EXPECT_TRUE(stream.Resident());
    EXPECT_TRUE(stream.TempPath().empty());

    const Bytes more = Sequence(10, 7);
    stream.WriteBuffer(more.data(), more.size());  // past the limit: moves in this call
    ASSERT_FALSE(stream.Resident());
    const fs::path temp = stream.TempPath();
    EXPECT_EQ(temp.parent_path(), tmp.Path());
    EXPECT_TRUE(temp.filename().string().starts_with("QRP"));
    EXPECT_EQ(fs::status(temp).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(stream.Position(), 100010);

    stream.WriteBuffer("end", 3);  // goes to the file
    Bytes expected = first;
    expected.push_back('x');
    expected.insert(expected.end(), more.begin(), more.end());
    expected.insert(expected.end(), {'e', 'n', 'd'});
    EXPECT_EQ(ReadAll(stream), expected);
    EXPECT_EQ(fs::file_size(temp), expected.size());
}

TEST(PageStream, MoveKeepsAnEarlierPosition) {
    test::ScratchDir tmp;
    TempDirOverride env(tmp.Path());
    TQRStream stream(16);
    const Bytes data = Sequence(32);
    stream.SetPosition(0);
    stream.WriteBuffer(data.data(), 8);
    stream.SetPosition(4);
    stream.WriteBuffer(data.data(), 20);  // grows past the limit from position 4
    EXPECT_FALSE(stream.Resident());
    EXPECT_EQ(stream.Position(), 24);
}

TEST(PageStream, DestroyDeletesOnlyItsOwnTemporaryFile) {
    test::ScratchDir tmp;
    TempDirOverride env(tmp.Path());
    fs::path temp;
    {
        TQRStream stream(4);
        stream.WriteBuffer("0123456789", 10);
        temp = stream.TempPath();
        ASSERT_TRUE(fs::exists(temp));
    }
    EXPECT_FALSE(fs::exists(temp));

    const fs::path report = tmp / "report.qrp";
    test::WriteFileBytes(report, Sequence(64));
    {
        auto stream = TQRStream::OpenExisting(report.string());
        EXPECT_EQ(stream->Write("zz", 2), 0u) << "a stream over a report file is read-only";
        EXPECT_EQ(stream->Size(), 64);
        EXPECT_TRUE(stream->TempPath().empty());
    }
    EXPECT_EQ(test::ReadFileBytes(report), Sequence(64));
}

TEST(PageStream, OpenExistingMissingFileNamesIt) {
    try {
        TQRStream::OpenExisting("/nonexistent/report.qrp");
        FAIL();
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Cannot open file \"/nonexistent/report.qrp\". No such file or directory");
    }
}

TEST(PageStream, FailedMoveKeepsDataInMemoryAndRetries) {
    test::ScratchDir tmp;
    TQRStream stream(8);
    const Bytes data = Sequence(12);
    {
        TempDirOverride env(tmp / "missing");
        try {
            stream.WriteBuffer(data.data(), data.size());
            FAIL() << "the move must fail without a temporary folder";
        } catch (const FileError& error) {
            const std::string text = error.what();
            EXPECT_TRUE(text.starts_with("Cannot create file \"" + (tmp / "missing").string() + "/QRP")) << text;
            EXPECT_TRUE(text.ends_with("\". No such file or directory")) << text;
        }
        EXPECT_TRUE(stream.Resident());
        EXPECT_EQ(ReadAll(stream), data);
    }
    TempDirOverride env(tmp.Path());
    stream.Seek(0, SeekOrigin::End);
    stream.WriteBuffer("!", 1);
    EXPECT_FALSE(stream.Resident());
    Bytes expected = data;
    expected.push_back('!');
    EXPECT_EQ(ReadAll(stream), expected);
}

TEST(PageStream, CopyToStreamCopiesEverythingAndEndsAtTheEnd) {
    TQRStream empty(100000);
    MemoryStream none;
    empty.CopyToStream(none);
    EXPECT_TRUE(none.Data().empty());

    for (std::size_t size : {std::size_t{10240}, std::size_t{10241}, std::size_t{30000}}) {
        TQRStream stream(100000);
        const Bytes data = Sequence(size, 3);
        stream.WriteBuffer(data.data(), data.size());
        stream.SetPosition(5);
        MemoryStream copy;
        stream.CopyToStream(copy);
        EXPECT_EQ(copy.Data(), data);
        EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(size));
        std::uint8_t tail[4];
        stream.Seek(-4, SeekOrigin::End);
        stream.ReadBuffer(tail, 4);
        EXPECT_TRUE(std::equal(tail, tail + 4, data.end() - 4));
    }
}

TEST(PageStream, CopyToAFullDestinationIsAWriteError) {
    TQRStream stream(100000);
    const Bytes data = Sequence(25000);
    stream.WriteBuffer(data.data(), data.size());
    test::ShortStream sink(15000);
    try {
        stream.CopyToStream(sink);
        FAIL() << "a truncated copy must not pass";
    } catch (const StreamError& error) {
        EXPECT_STREQ(error.what(), "Stream write error");
    }
}

}  // namespace
}  // namespace qrp
