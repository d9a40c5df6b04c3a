#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "tests/engine/audiofile/RiffBytes.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace
{
// A file opened for reading on the given bytes.
struct OpenedFile
{
    TempFolder folder;
    CBinaryFile64 file{false};

    explicit OpenedFile(const Bytes& bytes)
    {
        writeFile(folder.file("f.bin"), bytes);
        EXPECT_GE(file.Open(folder.file("f.bin").u16string().c_str()), 0);
    }
};

// Big-endian sizes, as an IFF reader reads them.
class BigEndianFile : public CBinaryFile64
{
public:
    BigEndianFile()
        : CBinaryFile64(false)
    {
    }
    uint64_t ReadUInt(int bytes) override { return ReadUIntBigEndian(bytes); }
};
} // namespace

TEST(CBinaryFile64, SkipClampsToTheFile)
{
    OpenedFile f(Bytes(100, 7));
    struct Case
    {
        int64_t from;
        int64_t delta;
        int64_t expected;
    } cases[] = {{10, -11, 0},    {10, -10, 0},           {10, 5, 15},         {10, 90, 100},
                 {10, 1000, 100}, {50, INT64_MIN + 1, 0}, {50, INT64_MAX, 100}};
    for (const Case& c : cases)
    {
        f.file.Seek(c.from, SEEK_SET);
        f.file.Skip(c.delta);
        EXPECT_EQ(f.file.Tell(), c.expected) << c.from << " + " << c.delta;
    }
}

TEST(CBinaryFile64, LengthQueryLeavesThePosition)
{
    OpenedFile f(Bytes(300, 1));
    f.file.Seek(123, SEEK_SET);
    EXPECT_EQ(f.file.GetFileLength(), 300);
    EXPECT_EQ(f.file.Tell(), 123);
    EXPECT_EQ(f.file.Seek(-10, SEEK_END), 290);
    EXPECT_EQ(f.file.Seek(-1000, SEEK_CUR), -1);
    EXPECT_EQ(f.file.Tell(), 290);
}

TEST(CBinaryFile64, ShortReadsAssembleWhatArrived)
{
    OpenedFile f({0x11, 0x22, 0x33});
    EXPECT_EQ(f.file.ReadUInt(2), 0x2211u);
    EXPECT_EQ(f.file.ReadUInt(4), 0x33u);
    uint8_t buffer[4];
    EXPECT_EQ(f.file.Read(buffer, 4), 0u);
    f.file.Seek(0, SEEK_SET);
    EXPECT_EQ(f.file.ReadUIntBigEndian(3), 0x112233u);
}

TEST(CBinaryFile64, OnlyRegularFilesOpen)
{
    TempFolder folder;
    const auto fifo = folder.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CBinaryFile64 reader(false);
    // A FIFO without a writer would block a plain open for ever.
    EXPECT_EQ(reader.Open(fifo.u16string().c_str()), -1);
    EXPECT_EQ(reader.Open(folder.path().u16string().c_str()), -1);
    EXPECT_EQ(reader.Open(folder.file("missing").u16string().c_str()), -1);
    EXPECT_EQ(reader.Open(u""), -1);
    const char16_t unpaired[] = {u'/', u't', u'm', u'p', u'/', 0xD800, 0};
    EXPECT_EQ(reader.Open(unpaired), -1);
    EXPECT_TRUE(std::u16string(reader.GetPath()).empty());
}

TEST(CBinaryFile64, WriterCreatesAndTruncates)
{
    TempFolder folder;
    const auto path = folder.file("w.bin");
    writeFile(path, Bytes(50, 9));
    CBinaryFile64 writer(true);
    ASSERT_GE(writer.Open(path.u16string().c_str()), 0);
    EXPECT_EQ(writer.GetFileLength(), 0);
    EXPECT_EQ(writer.WriteUInt(0x0102030405060708ull, 8), 8);
    EXPECT_EQ(writer.GetFileLength(), 8);
    EXPECT_EQ(writer.Close(), 0);
    EXPECT_EQ(readFile(path), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

TEST(CBinaryFile64, FindRiffChunk)
{
    const Bytes odd = chunk("odd ", Bytes(3, 'x'), false);      // 11 bytes, no pad
    const Bytes oddPadded = chunk("odd ", Bytes(3, 'x'), true); // 12 bytes
    const Bytes wanted = chunk("want", Bytes(4, 1));
    const Bytes empty = chunk("zero", Bytes());
    const Bytes emptyWanted = chunk("want", Bytes());
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    struct Case
    {
        const char* name;
        Bytes bytes;
        int64_t limit;
        uint64_t size;
        int64_t position;
    } cases[] = {
        {"after an odd chunk without pad byte", join({odd, wanted}), -1, 12, 11},
        {"after an odd chunk with its pad byte", join({oddPadded, wanted}), -1, 12, 12},
        {"a size-0 chunk ends the search", join({empty, wanted}), -1, 0, 0},
        {"the wanted chunk may be empty", join({odd, emptyWanted}), -1, 8, 11},
        {"beyond the limit", join({oddPadded, wanted}), 12, 0, 0},
        {"within the limit", join({oddPadded, wanted}), 20, 12, 12},
        {"a size running past the file", join({chunk("big ", Bytes(4, 0), true, 0x7FFFFFFF), wanted}), -1, 0, 0},
        {"a header cut off by the end", join({oddPadded, Bytes{'w', 'a', 'n', 't', 4}}), -1, 0, 0},
    };
    for (const Case& c : cases)
    {
        OpenedFile f(c.bytes);
        EXPECT_EQ(f.file.FindRiffChunk("want", c.limit), c.size) << c.name;
        EXPECT_EQ(f.file.Tell(), c.position) << c.name;
    }
}

TEST(CBinaryFile64, FindRiffChunkReadsSizesWithTheObjectsByteOrder)
{
    TempFolder folder;
    Bytes bytes = {'C', 'O', 'M', 'T', 0, 0, 0, 3, 1, 2, 3, 0, 'S', 'S', 'N', 'D', 0, 0, 0, 2, 9, 9};
    writeFile(folder.file("f.aif"), bytes);
    BigEndianFile file;
    ASSERT_GE(file.Open(folder.file("f.aif").u16string().c_str()), 0);
    EXPECT_EQ(file.FindRiffChunk("SSND", -1), 10u);
    EXPECT_EQ(file.Tell(), 12);
}

TEST(CBinaryFile64, FindRiffListInfoSkipsOtherLists)
{
    Bytes adtl;
    putText(adtl, "adtl");
    putText(adtl, "abc"); // odd list, padded
    const Bytes info = infoBody({{"INAM", "x"}});
    Bytes bytes = chunk("LIST", adtl);
    const Bytes infoChunk = chunk("LIST", info);
    bytes.insert(bytes.end(), infoChunk.begin(), infoChunk.end());
    OpenedFile f(bytes);
    EXPECT_EQ(f.file.FindRiffListInfo(), infoChunk.size());
    EXPECT_EQ(f.file.Tell(), 16);

    OpenedFile none(chunk("LIST", adtl));
    EXPECT_EQ(none.file.FindRiffListInfo(), 0u);
    EXPECT_EQ(none.file.Tell(), 0);
}

TEST(CBinaryFile64, FileDateAndTimeInLocalTime)
{
    TempFolder folder;
    const auto path = folder.file("dated.wav");
    writeFile(path, Bytes(4, 0));
    struct tm local = {};
    local.tm_year = 2009 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 7;
    local.tm_hour = 4;
    local.tm_min = 5;
    local.tm_sec = 6;
    local.tm_isdst = -1;
    const struct timespec times[2] = {{mktime(&local), 0}, {mktime(&local), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    CBinaryFile64 file(false);
    char date[11];
    char time[9];
    EXPECT_FALSE(file.GetFileDateTimeStrings(date, time));
    EXPECT_STREQ(date, "    -  -  ");
    EXPECT_STREQ(time, "  :  :  ");
    ASSERT_GE(file.Open(path.u16string().c_str()), 0);
    EXPECT_TRUE(file.GetFileDateTimeStrings(date, time));
    EXPECT_STREQ(date, "2009-03-07");
    EXPECT_STREQ(time, "04:05:06");
}
