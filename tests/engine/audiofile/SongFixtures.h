#pragma once

// Fixtures for the track, channel-group and song reader tests: WAV files whose
// samples encode their file and frame index (so a gap, an offset or a swapped
// channel shows), small song trees, and a stand-in file reader for what WAV
// files cannot show (preparation, 1-bit streams).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "engine/audiofile/aiff/CAiffFileWrite.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "engine/audiofile/song/CTrackRead.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "tests/support/TempFolder.h"

namespace qm::test
{
// The sample of a file (tag 0..7) at a frame (below 1000000) and channel, as a
// reader delivers it: a 24-bit value left-aligned in 32 bits; channel 1 is the
// negated value minus one, so that the two channels never look alike.
inline int32_t indexedSample(int tag, int channel, int64_t frame)
{
    const int32_t value = static_cast<int32_t>(tag * 1000000 + frame);
    return (channel == 0 ? value : -value - 1) * 256;
}

inline float indexedFloat(int tag, int channel, int64_t frame)
{
    return static_cast<float>(indexedSample(tag, channel, frame)) / 2147483648.0f;
}

// Writes an audio file of `frames` indexed frames with the given writer:
// 24-bit integers, or 32-bit floats when bits is 32. The marks (seconds) go
// into the file.
template <class Writer>
std::u16string writeIndexed(const std::filesystem::path& path, int tag, uint32_t frames, uint16_t channels,
                            uint32_t rate, uint16_t bits, std::initializer_list<double> marks)
{
    Writer writer;
    const std::u16string wide = path.u16string();
    EXPECT_EQ(writer.Open(wide.c_str(), rate, bits, channels, 0), WriterOpenResult::Ok);
    for (const double mark : marks)
        writer.GetMarker()->Add(mark);
    std::vector<int32_t> ints[2];
    std::vector<float> floats[2];
    int32_t* intChannels[2] = {};
    float* floatChannels[2] = {};
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        for (uint32_t i = 0; i < frames; ++i)
        {
            ints[ch].push_back(indexedSample(tag, ch, i));
            floats[ch].push_back(indexedFloat(tag, ch, i));
        }
        intChannels[ch] = ints[ch].data();
        floatChannels[ch] = floats[ch].data();
    }
    const uint32_t written =
        bits == 32 ? writer.WriteFloat(floatChannels, frames) : writer.WriteInt32(intChannels, frames);
    EXPECT_EQ(written, frames);
    EXPECT_TRUE(writer.Close());
    return wide;
}

inline std::u16string writeIndexedWav(const std::filesystem::path& path, int tag, uint32_t frames,
                                      uint16_t channels = 2, uint32_t rate = 44100, uint16_t bits = 24,
                                      std::initializer_list<double> marks = {})
{
    return writeIndexed<CWavFileWrite>(path, tag, frames, channels, rate, bits, marks);
}

inline std::u16string writeIndexedAiff(const std::filesystem::path& path, int tag, uint32_t frames)
{
    return writeIndexed<CAiffFileWrite>(path, tag, frames, 2, 44100, 24, {});
}

// One file segment: path, start, end (-1 = to the end of the file).
struct Segment
{
    std::u16string path;
    int64_t start = 0;
    int64_t end = -1;
    uint32_t mediaId = 0;
};

inline void addSegments(CPlaylistTrack* track, const std::vector<Segment>& segments)
{
    for (const Segment& segment : segments)
    {
        CPlaylistFile* file = track->AddFile();
        file->SetPath(segment.path);
        file->SetStart(segment.start);
        file->SetEnd(segment.end);
        file->SetMediaUniqueId(segment.mediaId);
    }
}

inline std::vector<Segment> segmentsOf(const CPlaylistTrack& track)
{
    std::vector<Segment> segments;
    for (int i = 0; i < track.GetFileCount(); ++i)
    {
        const CPlaylistFile* file = track.GetFile(i);
        segments.push_back({file->GetPath(), file->GetStart(), file->GetEnd(), file->GetMediaUniqueId()});
    }
    return segments;
}

inline bool operator==(const Segment& a, const Segment& b)
{
    return a.path == b.path && a.start == b.start && a.end == b.end && a.mediaId == b.mediaId;
}

inline void PrintTo(const Segment& segment, std::ostream* os)
{
    *os << std::filesystem::path(segment.path).filename() << " " << segment.start << ".." << segment.end;
}

// Per-channel buffers of a fixed size, poisoned so that untouched samples show.
template <class Sample>
struct Buffers
{
    static constexpr int32_t kPoison = 0x7eadbeef;

    Buffers(uint16_t channels, uint32_t frames)
        : data(channels, std::vector<Sample>(frames, poison())),
          pointers(channels)
    {
        for (uint16_t ch = 0; ch < channels; ++ch)
            pointers[ch] = data[ch].data();
    }

    static Sample poison()
    {
        if constexpr (std::is_same_v<Sample, float>)
            return 12345.0f;
        else
            return kPoison;
    }

    Sample** get() { return pointers.data(); }
    Sample at(int channel, uint32_t frame) const { return data[channel][frame]; }

    std::vector<std::vector<Sample>> data;
    std::vector<Sample*> pointers;
};

// A file reader that reads only silence but answers the format, the range and
// the preparation as its description says, for what WAV files cannot show.
struct FakeReaderSpec
{
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint16_t channels = 2;
    uint64_t frames = 1000;
    bool preparing = false;
    double progress = 0.0;
};

// Descriptions by path, the order in which Prepare reached the readers and the
// paths of the readers deleted.
struct FakeReaders
{
    static std::map<std::u16string, FakeReaderSpec>& specs()
    {
        static std::map<std::u16string, FakeReaderSpec> all;
        return all;
    }
    static std::vector<std::u16string>& prepared()
    {
        static std::vector<std::u16string> log;
        return log;
    }
    static std::vector<std::u16string>& deleted()
    {
        static std::vector<std::u16string> log;
        return log;
    }
};

class FakeFileReader : public CAudioFileReadBase
{
public:
    explicit FakeFileReader(std::u16string path)
        : m_name(std::move(path))
    {
    }
    ~FakeFileReader() override { FakeReaders::deleted().push_back(m_name); }

    ReaderOpenResult Open(const char16_t*) override { return ReaderOpenResult::Ok; }
    void Close() override {}
    const char* GetFormatName() override { return "FAKE"; }
    void SetRange(uint64_t startFrame, uint64_t endFrame) override
    {
        const uint64_t frames = spec().frames;
        m_start = std::min(startFrame, frames);
        m_end = endFrame > frames ? frames : endFrame;
        if (m_end <= m_start)
            m_end = frames;
        m_position = 0;
    }
    uint64_t GetRangeStart() override { return m_start; }
    uint32_t GetSampleRate() override { return spec().rate; }
    uint16_t GetBitsPerSample() override { return spec().bits; }
    uint16_t GetChannelCount() override { return spec().channels; }
    uint64_t GetLength() override { return m_end - m_start; }
    uint64_t GetPosition() override { return m_position; }
    uint64_t SetPosition(uint64_t frame) override { return m_position = std::min(frame, GetLength()); }
    bool IsPreparing() override { return spec().preparing; }
    void Prepare() override { FakeReaders::prepared().push_back(m_name); }
    double GetPrepareProgress() override { return spec().progress; }

private:
    FakeReaderSpec& spec() { return FakeReaders::specs()[m_name]; }

    std::u16string m_name;
    uint64_t m_start = 0;
    uint64_t m_end = 0;
    uint64_t m_position = 0;
};

inline CAudioFileReadBase* makeFakeReader(const char16_t* path, bool)
{
    if (FakeReaders::specs().count(path) == 0)
        return nullptr;
    return new FakeFileReader(path);
}

// Opens files through the stand-in reader while it exists.
struct UseFakeReaders
{
    explicit UseFakeReaders(std::map<std::u16string, FakeReaderSpec> specs)
    {
        FakeReaders::specs() = std::move(specs);
        FakeReaders::prepared().clear();
        FakeReaders::deleted().clear();
        CTrackRead::SetFileReaderFactory(&makeFakeReader);
    }
    ~UseFakeReaders()
    {
        CTrackRead::SetFileReaderFactory(nullptr);
        FakeReaders::specs().clear();
    }
};
} // namespace qm::test
