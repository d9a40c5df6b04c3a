#include <gtest/gtest.h>

#include "tests/session/export/ExportFixture.h"
#include "session/export/CTVConverterThread.h"
#include "tests/support/FileSizeLimit.h"

#include <fstream>

using Tavrel::FileExportParameter;
using F = FileExportParameter;

namespace
{
using FileExport = qm::test::ExportFixture;

TEST_F(FileExport, FilesPerSongAndFileType)
{
    Song("S", 0.5, 44100, 2);
    Song("M", 0.5, 44100, 1);
    const auto source = [&](const char* name) { return Read(juce::File(folder.file(std::string(name) + ".src.wav").string())); };
    const auto stereo = source("S");
    const auto mono = source("M");
    struct Case
    {
        int fileType;
        int format;
        std::vector<std::pair<const char*, std::vector<std::vector<float>>>> files;
    };
    const Case cases[] = {
        {0, F::kFormatWav, {{"M.wav", {mono[0]}}, {"S.trk1.wav", {stereo[0]}}, {"S.trk2.wav", {stereo[1]}}}},
        {1, F::kFormatWav, {{"M.wav", {mono[0], mono[0]}}, {"S.wav", stereo}}},
        {1, F::kFormatAiff, {{"M.aif", {mono[0], mono[0]}}, {"S.aif", stereo}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "file type " << c.fileType << ", format " << c.format);
        for (const juce::File& f : out.findChildFiles(juce::File::findFiles, false, "*"))
            f.deleteFile();
        ASSERT_TRUE(file.selectChoiceByValue(F::kFormat, c.format));
        ASSERT_TRUE(file.setChoice(F::kFileType, c.fileType));
        ASSERT_TRUE(Export());
        EXPECT_EQ(events.names(), (std::vector<std::string>{"started", "processing", "finished"}));
        juce::StringArray expected;
        for (const auto& [name, samples] : c.files)
            expected.add(name);
        EXPECT_EQ(OutFiles(), expected);
        for (const auto& [name, samples] : c.files)
            EXPECT_EQ(Read(out.getChildFile(name)), samples) << name;
        // Progress never falls and ends at 100.
        ASSERT_FALSE(events.progressValues.empty());
        EXPECT_TRUE(std::is_sorted(events.progressValues.begin(), events.progressValues.end()));
        EXPECT_DOUBLE_EQ(events.progressValues.back(), 100.0);
        EXPECT_EQ(host->GetCurrentIndexForMode(CTVHost::kSessionMode), -1);
        EXPECT_FALSE(events.offMessageThread);
    }
}

// The third of five songs fails: its source goes away once the checks have
// passed, or a folder has taken its file's name. The two before it stay
// written, nothing of it or the later songs is left.
TEST_F(FileExport, AFailedSongStopsTheRest)
{
    for (const char* n : {"a", "b", "c", "d", "e"})
        Song(n, 0.3);
    struct Case
    {
        const char* name;
        std::function<void()> before;
        std::function<void()> atProcessing;
        const char* error;
    };
    const Case cases[] = {
        {"source gone", [] {}, [&] { juce::File(folder.file("c.src.wav").string()).deleteFile(); },
         "error Export_CannotOpenOutputFile"},
        {"a folder has the name", [&] { out.getChildFile("c.wav").createDirectory(); }, [] {},
         "error Export_CannotWriteOutputFile"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        out.deleteRecursively();
        out.createDirectory();
        Song("c", 0.3); // the source again, as the list's row 5
        host->RemoveTracks(5, true, true, true);
        c.before();
        events.onProcessing = c.atProcessing;
        listener.take();
        ASSERT_TRUE(Export());
        EXPECT_TRUE(events.aborted);
        const auto* error = events.find(c.error);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->songs, qm::test::RowSet({2}));
        juce::StringArray files = OutFiles();
        files.removeString("c.wav"); // the folder
        EXPECT_EQ(files, (juce::StringArray{"a.wav", "b.wav"}));
        EXPECT_EQ(Read(out.getChildFile("b.wav"))[0].size(), 13230u);
        // The converted songs were current in turn, then none was.
        const std::vector<int> current = listener.values("currentTrackChanged");
        const auto none = std::find(current.begin(), current.end(), -1);
        ASSERT_NE(none, current.end());
        EXPECT_EQ(std::vector<int>(current.begin(), none), (std::vector<int>{0, 1, 2}));
    }
}
} // namespace

namespace
{
// The checks of start: each case ends start with its message, or asks and
// goes on only when the user agrees. Nothing is written by a refused start.
TEST_F(FileExport, TheChecksBeforeAnythingIsWritten)
{
    Song("one", 0.2);
    Song("two", 0.2);
    const juce::File oneSource(folder.file("one.src.wav").string());

    // A destination that is a file.
    const juce::File notAFolder(folder.file("plain").string());
    ASSERT_TRUE(notAFolder.replaceWithText("x"));
    ASSERT_TRUE(file.setItemText(notAFolder.getFullPathName(), F::kDestination));
    EXPECT_NE(file.getItemText(F::kDestination), notAFolder.getFullPathName()) << "the set refuses a file";
    // The set keeps a folder; a folder deleted after the choice is the case.
    const juce::File gone(folder.file("gone").string());
    ASSERT_TRUE(gone.createDirectory());
    ASSERT_TRUE(file.setItemText(gone.getFullPathName(), F::kDestination));
    ASSERT_TRUE(gone.deleteRecursively());
    ASSERT_TRUE(gone.replaceWithText("now a file"));
    EXPECT_FALSE(Start());
    ASSERT_EQ(events.names(), std::vector<std::string>{"error Export_DestinationNotFound"});
    EXPECT_TRUE(events.events[0].songs.isEmpty());
    EXPECT_TRUE(events.events[0].texts.isEmpty());
    ASSERT_TRUE(file.setItemText(out.getFullPathName(), F::kDestination));

    // Some sources missing: asked; No ends start without an error.
    const juce::File twoSource(folder.file("two.src.wav").string());
    const juce::File twoAside(folder.file("two.aside").string());
    ASSERT_TRUE(twoSource.moveFileTo(twoAside));
    events.answer = [](const std::string&) { return false; };
    EXPECT_FALSE(Start());
    ASSERT_EQ(events.names(), std::vector<std::string>{"warning Export_FileNotFound"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({1}));
    events.answer = nullptr;
    ASSERT_TRUE(Export());
    EXPECT_EQ(OutFiles(), juce::StringArray{"one.wav"});

    // All missing: the error with their rows.
    const juce::File oneAside(folder.file("one.aside").string());
    ASSERT_TRUE(oneSource.moveFileTo(oneAside));
    EXPECT_FALSE(Start());
    ASSERT_EQ(events.names(), std::vector<std::string>{"error Export_NoSongToExport"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({0, 1}));
    ASSERT_TRUE(oneAside.moveFileTo(oneSource));
    ASSERT_TRUE(twoAside.moveFileTo(twoSource));

    // Existing outputs: asked with the destination; No leaves them as they were.
    const juce::MemoryBlock before = [&] {
        juce::MemoryBlock b;
        out.getChildFile("one.wav").loadFileAsData(b);
        return b;
    }();
    events.answer = [](const std::string&) { return false; };
    EXPECT_FALSE(Start());
    ASSERT_EQ(events.names(), std::vector<std::string>{"warning Export_AlreadyExists"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({0}));
    EXPECT_EQ(events.events[0].texts, juce::StringArray{out.getFullPathName()});
    juce::MemoryBlock after;
    out.getChildFile("one.wav").loadFileAsData(after);
    EXPECT_EQ(after, before);
    events.answer = nullptr;

    // An output that is a file of the song list: refused before any replace
    // question, by its name without regard to case, or through a link.
    Song("three", 0.2);
    const juce::File listed = out.getChildFile("THREE.wav");
    ASSERT_TRUE(juce::File(folder.file("three.src.wav").string()).copyFileTo(listed));
    ASSERT_EQ(AddRecord(listed.getFullPathName().toStdString(), "listed"), 3);
    ASSERT_TRUE(out.getChildFile("one.wav").deleteFile());
    EXPECT_FALSE(Start());
    ASSERT_EQ(events.names(), std::vector<std::string>{"error Export_AlreadyExistsInSonglist"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({2}));
    ASSERT_TRUE(host->RemoveTracks(3, true, true, true));
    ASSERT_TRUE(listed.deleteFile());
    ASSERT_TRUE(juce::File(folder.file("two.src.wav").string()).createSymbolicLink(out.getChildFile("three.wav"), true));
    EXPECT_FALSE(Start());
    ASSERT_EQ(events.names(), std::vector<std::string>{"error Export_AlreadyExistsInSonglist"}) << "a link to a source";
    ASSERT_TRUE(out.getChildFile("three.wav").deleteFile());
    EXPECT_TRUE(twoSource.existsAsFile());
}

TEST_F(FileExport, SpaceForTheFiles)
{
    Song("a", 60.0);
    Song("b", 60.0);
    // 2 x (60 s x 44100 x 2 channels x 2 bytes + 2048) = 21,172,096 bytes,
    // and 10,000,000 to spare.
    for (const int64_t free : {int64_t(31172095), int64_t(31172096)})
    {
        SCOPED_TRACE(free);
        Tavrel::FileExportSession::setFreeSpaceQuery([free](const juce::File&) { return free; });
        const bool started = Start();
        if (free < 31172096)
        {
            EXPECT_FALSE(started);
            ASSERT_EQ(events.names(), std::vector<std::string>{"error Export_DiskFull"});
            EXPECT_EQ(events.events[0].texts, juce::StringArray{"31.17 MB"});
        }
        else
        {
            EXPECT_TRUE(started);
            exports->cancelSession();
            EXPECT_TRUE(qm::test::PumpUntil([&] { return events.finished; }));
        }
    }
}
} // namespace

namespace
{
// A full disk: no file of this process may grow past 500,000 bytes while
// the second song (882,044 bytes) is written.
TEST_F(FileExport, AFullDiskLosesNothing)
{
    Song("a", 1.0);
    Song("b", 5.0);
    const juce::File replaced = out.getChildFile("b.wav");
    ASSERT_TRUE(replaced.replaceWithText("the user's old file"));
    const juce::MemoryBlock old = Bytes(replaced);
    {
        qm::test::ScopedFileSizeLimit limit(500000);
        ASSERT_TRUE(limit.isSet());
        ASSERT_TRUE(Export());
    }
    EXPECT_TRUE(events.aborted);
    const auto* error = events.find("error Export_CannotWriteOutputFile");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->songs, qm::test::RowSet({1}));
    EXPECT_EQ(OutFiles(), (juce::StringArray{"a.wav", "b.wav"}));
    EXPECT_EQ(Read(out.getChildFile("a.wav"))[0].size(), 44100u);
    EXPECT_EQ(Bytes(replaced), old);
}
} // namespace

namespace
{
// A song divided at an odd frame and exported at another rate joins again
// without a seam: the two files end to end are the undivided song's export.
TEST_F(FileExport, DividedSongsJoinWithoutASeam)
{
    ASSERT_TRUE(file.selectChoiceByValue(F::kSampleRate, 48000));
    ASSERT_TRUE(file.selectChoiceByValue(F::kBitDepth, 24));
    Song("x", 1.5);
    ASSERT_TRUE(Export());
    const auto whole = Read(out.getChildFile("x.wav"));
    ASSERT_EQ(whole.size(), 2u);
    out.getChildFile("x.wav").deleteFile();

    ASSERT_TRUE(host->SetCurrentTrack(0, false, false));
    ASSERT_TRUE(host->DivideTrack(22051.0 / 44100.0));
    ASSERT_EQ(host->GetTrackCount(), 2);
    ASSERT_TRUE(Export());
    EXPECT_EQ(OutFiles(), (juce::StringArray{"x.1.wav", "x.wav"}));
    auto joined = Read(out.getChildFile("x.wav"));
    const auto second = Read(out.getChildFile("x.1.wav"));
    ASSERT_EQ(joined.size(), 2u);
    ASSERT_EQ(second.size(), 2u);
    for (size_t c = 0; c < 2; ++c)
    {
        joined[c].insert(joined[c].end(), second[c].begin(), second[c].end());
        EXPECT_EQ(joined[c].size(), whole[c].size());
        EXPECT_EQ(joined[c], whole[c]) << "channel " << c;
    }
}
} // namespace

namespace
{
// A WAV file that claims nearly 4 GiB of 16-bit stereo samples (6.8 hours),
// all of it a hole in the file: no disk is used.
void WriteSparseWav(const std::filesystem::path& path)
{
    constexpr uint32_t kData = 0xFFFFFF00u;
    qm::test::WriteWav(path, 44100, 2, 0, false, [](int, int) { return 0.0f; });
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    auto put = [&](std::streamoff at, uint32_t v) {
        f.seekp(at);
        for (int i = 0; i < 4; ++i)
            f.put(static_cast<char>(v >> (8 * i)));
    };
    put(4, 36 + kData);
    put(40, kData);
    f.close();
    std::filesystem::resize_file(path, 44 + uint64_t(kData));
}

// Outputs past 4 GiB: refused for WAV and AIFF, asked for MP3.
TEST_F(FileExport, OutputsPast4GiB)
{
    Tavrel::FileExportSession::setFreeSpaceQuery([](const juce::File&) { return int64_t(1) << 50; });
    for (int i = 0; i < 5; ++i)
    {
        const auto path = folder.file("long" + std::to_string(i) + ".wav");
        WriteSparseWav(path);
        ASSERT_EQ(AddRecord(path, "long" + std::to_string(i)), i);
    }
    // One song of five of them: 34 hours.
    ASSERT_TRUE(host->CombineTracks(qm::test::RowSet({0, 1, 2, 3, 4})));
    ASSERT_EQ(host->GetTrackCount(), 1);

    ASSERT_TRUE(file.selectChoiceByValue(F::kSampleRate, 96000));
    EXPECT_FALSE(Start());
    ASSERT_EQ(events.names(), std::vector<std::string>{"error Export_PCMOver4GB"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({0}));

    ASSERT_TRUE(file.selectChoiceByValue(F::kFormat, F::kFormatMp3));
    ASSERT_TRUE(file.selectChoiceByValue(F::kBitRate, 320000));
    events.answer = [](const std::string&) { return false; };
    EXPECT_FALSE(Start());
    ASSERT_EQ(events.names(), std::vector<std::string>{"warning Export_Over4GB"});
    EXPECT_TRUE(OutFiles().isEmpty());
}

// Names that differ only in case are one file on a case-folding volume: the
// later one is numbered.
TEST_F(FileExport, NamesDifferingInCase)
{
    Song("Intro", 0.2);
    Song("intro", 0.2);
    ASSERT_TRUE(Export());
    EXPECT_EQ(OutFiles(), (juce::StringArray{"Intro.wav", "intro.1.wav"}));
}
} // namespace

namespace
{
// Nothing to convert: progress 0, not a division by zero.
TEST_F(FileExport, ZeroTotalLengthGivesNoProgress)
{
    Tavrel::ConverterSettings settings;
    settings.outputFolder = out;
    Tavrel::CTVConverterThread converter(settings);
    EXPECT_EQ(converter.getProgress(), 0.0);
    converter.startThread();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return converter.isFinished(); }));
    EXPECT_EQ(converter.getProgress(), 0.0);
    EXPECT_TRUE(converter.getFailedSongs().isEmpty());
}
} // namespace
