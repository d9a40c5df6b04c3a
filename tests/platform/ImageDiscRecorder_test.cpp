#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/burn/CdAudioWavSource.h"
#include "platform/burn/CdTextPackWriter.h"
#include "platform/burn/DiscRecorderRegistry.h"
#include "platform/burn/ImageDiscRecorder.h"
#include "tests/support/TempFolder.h"

using namespace qm::platform;

namespace
{
using Bytes = std::vector<uint8_t>;

void Put(Bytes& bytes, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

void PutText(Bytes& bytes, const char* text)
{
    bytes.insert(bytes.end(), text, text + 4);
}

struct WavShape
{
    uint16_t format = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint32_t dataBytes = 2352;     // written
    uint32_t declaredBytes = 2352; // in the data chunk's header
    bool withFormat = true;
    bool withData = true;
};

Bytes Wav(const WavShape& shape)
{
    Bytes bytes;
    PutText(bytes, "RIFF");
    Put(bytes, 0, 4);
    PutText(bytes, "WAVE");
    if (shape.withFormat)
    {
        PutText(bytes, "fmt ");
        Put(bytes, 16, 4);
        Put(bytes, shape.format, 2);
        Put(bytes, shape.channels, 2);
        Put(bytes, shape.rate, 4);
        Put(bytes, shape.rate * shape.channels * shape.bits / 8, 4);
        Put(bytes, shape.channels * shape.bits / 8, 2);
        Put(bytes, shape.bits, 2);
    }
    if (shape.withData)
    {
        PutText(bytes, "data");
        Put(bytes, shape.declaredBytes, 4);
        for (uint32_t i = 0; i < shape.dataBytes; ++i)
            bytes.push_back(uint8_t(i * 7 + 1));
    }
    return bytes;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(CdAudioWavSource, FindsTheSamplesOfCdAudioFilesOnly)
{
    struct Case
    {
        const char* what;
        WavShape shape;
        bool found;
        uint64_t bytes;
    };
    const Case cases[] = {
        {"CD audio", {}, true, 2352},
        {"declared beyond the file's end", {.dataBytes = 1000, .declaredBytes = 5000}, true, 1000},
        {"a partial frame at the end", {.dataBytes = 1002, .declaredBytes = 1002}, true, 1000},
        {"mono", {.channels = 1}, false, 0},
        {"48 kHz", {.rate = 48000}, false, 0},
        {"24-bit", {.bits = 24}, false, 0},
        {"float", {.format = 3, .bits = 32}, false, 0},
        {"no format chunk", {.withFormat = false}, false, 0},
        {"no data chunk", {.withData = false}, false, 0},
    };
    qm::test::TempFolder folder;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto path = folder.file("t.wav");
        WriteFile(path, Wav(c.shape));
        CdAudioWavData data;
        ASSERT_EQ(FindCdAudioWavData(path.string(), data), c.found);
        EXPECT_EQ(data.bytes, c.bytes);
        if (c.found)
        {
            EXPECT_EQ(data.offset, 44u);
        }
    }
    CdAudioWavData data;
    EXPECT_FALSE(FindCdAudioWavData(folder.file("missing.wav").string(), data));
    WriteFile(folder.file("text.wav"), Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(FindCdAudioWavData(folder.file("text.wav").string(), data));
}

TEST(CdTextPackWriter, BuildsPacksOnlyForTextsThatFit)
{
    RecorderDisc disc;
    disc.tracks.resize(2);
    std::vector<uint8_t> packs{1, 2, 3};
    ASSERT_TRUE(BuildCdTextPacks(disc, packs));
    EXPECT_TRUE(packs.empty()); // no text at all

    disc.tracks[1].title = "Second";
    ASSERT_TRUE(BuildCdTextPacks(disc, packs));
    ASSERT_FALSE(packs.empty());
    EXPECT_EQ(packs.size() % 18, 0u);
    EXPECT_EQ(packs[0], 0x80); // title packs come first

    // More text than one block holds (253 packs of 12 bytes); repeated
    // texts would be stored once, so each title differs.
    disc.tracks.assign(40, RecorderTrack{});
    for (size_t i = 0; i < disc.tracks.size(); ++i)
        disc.tracks[i].title = std::string(200, char('A' + i % 26)) + std::to_string(i);
    EXPECT_FALSE(BuildCdTextPacks(disc, packs));
    disc.tracks.resize(100);
    EXPECT_FALSE(BuildCdTextPacks(disc, packs)); // more tracks than a disc holds
}

TEST(ImageDiscRecorder, ACancelledOrUnfinishedWriteLeavesTheDiscBlank)
{
    qm::test::TempFolder folder;
    WavShape shape;
    shape.dataBytes = shape.declaredBytes = 3000; // one sector and a part
    WriteFile(folder.file("a.wav"), Wav(shape));
    RecorderDisc disc;
    disc.tracks.push_back({folder.file("a.wav").string(), 0, "A", ""});
    disc.withCdText = true;
    const std::string name = folder.file("disc").string();
    ImageDiscRecorder recorder(name, {});

    RecorderDiscInfo info;
    ASSERT_TRUE(recorder.ReadDiscInfo(info));
    EXPECT_EQ(info.media, DiscMedia::CdR);
    EXPECT_TRUE(info.blank);
    EXPECT_FALSE(info.erasable);
    EXPECT_EQ(info.freeSectors, ImageDiscRecorder::kCapacitySectors);

    std::atomic<bool> cancel{true};
    EXPECT_EQ(recorder.WriteDisc(RecorderWriteMethod::DiscAtOnceRawPW, disc, nullptr, cancel), kRecorderCancelled);
    EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"a.wav"});

    cancel = false;
    {
        ImageDiscRecorder tao(name, {});
        ASSERT_EQ(tao.WriteTrack(disc.tracks[0], nullptr, cancel), kRecorderOk);
    } // never closed
    EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"a.wav"});
    EXPECT_EQ(recorder.CloseSession(), kRecorderFailed);

    // The partial last sector is filled up with silence.
    ASSERT_EQ(recorder.WriteDisc(RecorderWriteMethod::DiscAtOnceRawPW, disc, nullptr, cancel), kRecorderOk);
    EXPECT_EQ(std::filesystem::file_size(name + ".bin"), 2u * 2352);
    EXPECT_EQ(FilesIn(folder.path()), (std::vector<std::string>{"a.wav", "disc.bin", "disc.cdt", "disc.cue"}));
    ASSERT_TRUE(recorder.ReadDiscInfo(info));
    EXPECT_FALSE(info.blank);
    EXPECT_EQ(info.usedSectors, 2u);
    EXPECT_EQ(recorder.Blank(true, cancel), kRecorderUnsupported); // a CD-R
    EXPECT_EQ(recorder.WriteDisc(RecorderWriteMethod::DiscAtOnceRawPW, disc, nullptr, cancel), kRecorderFailed);
}

TEST(ImageDiscRecorder, SetsTheNearestListedSpeed)
{
    ImageDiscRecorder recorder("/nonexistent/folder/disc", {});
    RecorderDiscInfo info;
    ASSERT_TRUE(recorder.ReadDiscInfo(info));
    EXPECT_EQ(info.media, DiscMedia::None); // no folder: no disc
    const struct
    {
        uint32_t asked, set;
    } cases[] = {{100, 706}, {706, 706}, {1760, 1400}, {4224, 4224}, {0xFFFF, 7040}};
    for (const auto& c : cases)
    {
        ASSERT_TRUE(recorder.SetSpeeds(0xFFFF, c.asked));
        EXPECT_EQ(recorder.GetCurrentWriteSpeed(), c.set) << c.asked;
    }
    EXPECT_EQ(recorder.GetMaxWriteSpeed(), 7040u);
}

TEST(DiscRecorderRegistry, ListsImageTargetsFromRegistrationAndEnvironment)
{
    auto& registry = DiscRecorderRegistry::Instance();
    EXPECT_FALSE(registry.RegisterImageTarget(""));
    EXPECT_FALSE(registry.RegisterImageTarget("/tmp/bad\"name"));
    std::string name;
    ASSERT_TRUE(registry.RegisterImageTarget("/tmp/x/../registered", {}, &name));
    EXPECT_EQ(name, "/tmp/registered");

    ::setenv(DiscRecorderRegistry::kImagesVariable, "/tmp/env1::/tmp/bad\"one:/tmp/registered", 1);
    std::vector<std::string> names;
    for (const auto& info : registry.ScanRecorders())
        names.push_back(info.name);
    ::unsetenv(DiscRecorderRegistry::kImagesVariable);
    const auto count = [&names](const std::string& n) { return std::count(names.begin(), names.end(), n); };
    EXPECT_EQ(count("/tmp/registered"), 1);
    EXPECT_EQ(count("/tmp/env1"), 1);
    EXPECT_EQ(count("/tmp/bad\"one"), 0);

    auto recorder = registry.OpenRecorder("/tmp/registered");
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(recorder->GetName(), "/tmp/registered");
    EXPECT_EQ(registry.OpenRecorder("/tmp/env1"), nullptr); // the environment is read anew
    EXPECT_TRUE(registry.UnregisterImageTarget("/tmp/registered"));
    EXPECT_FALSE(registry.UnregisterImageTarget("/tmp/registered"));
    EXPECT_EQ(registry.OpenRecorder("/tmp/registered"), nullptr);
}
