#include <gtest/gtest.h>

#include "tests/session/export/ExportFixture.h"

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
