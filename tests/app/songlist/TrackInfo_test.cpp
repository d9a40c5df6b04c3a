#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "app/core/WideText.h"
#include "app/songlist/GainRounding.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "engine/dsp/dynamics/CDynamicControlParams.h"
#include "tests/support/TempFolder.h"

using Tavrel::MetadataWriteResult;
using Tavrel::TrackInfo;
using Tavrel::TrackInfoListener;

namespace
{
// Records every announcement as a line of text.
class Recorder : public TrackInfoListener
{
public:
    void markersChanged(TrackInfo*, int index) override { events.push_back("marks " + std::to_string(index)); }
    void textChanged(TrackInfo*, int field) override { events.push_back("text " + std::to_string(field)); }
    void pictureChanged(TrackInfo*) override { events.push_back("picture"); }
    void controlChanged(TrackInfo*, int target) override { events.push_back("control " + std::to_string(target)); }
    void dataSpecChanged(TrackInfo*) override { events.push_back("dataspec"); }

    std::vector<std::string> events;
};

// Writes a 16-bit WAV file of silence with our own writer.
std::u16string writeWav(const std::filesystem::path& path, uint16_t channels, uint32_t frames)
{
    CWavFileWrite writer;
    const std::u16string wide = path.u16string();
    EXPECT_EQ(writer.Open(wide.c_str(), 44100, 16, channels, 0), WriterOpenResult::Ok);
    std::vector<int32_t> samples[2];
    int32_t* pointers[2] = {};
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        samples[ch].assign(frames, 0);
        pointers[ch] = samples[ch].data();
    }
    EXPECT_EQ(writer.WriteInt32(pointers, frames), frames);
    EXPECT_TRUE(writer.Close());
    return wide;
}

void addFile(TrackInfo& record, const std::u16string& path, uint32_t mediaId = 0)
{
    CPlaylistFile* file = record.song->AddSection()->AddTrack()->AddFile();
    file->SetPath(path);
    file->SetMediaUniqueId(mediaId);
}
} // namespace

TEST(TrackInfo, EmptyRecord)
{
    const TrackInfo record;
    EXPECT_TRUE(record.dataSpecStale);
    EXPECT_TRUE(record.lossless);
    EXPECT_FALSE(record.readable);
    EXPECT_FALSE(record.normalizeGainValid);
    EXPECT_EQ(record.song->GetSectionCount(), 0);
    EXPECT_EQ(record.markers->GetCount(), 0);
    EXPECT_TRUE(record.getTextField(0).isEmpty());
    EXPECT_TRUE(record.getTextField(12).isEmpty());
    EXPECT_TRUE(record.getTextField(-1).isEmpty());
}

TEST(TrackInfo, DateAndTimeFieldsAreFiltered)
{
    struct Case
    {
        int field;
        const char* input;
        const char* stored;
    };
    const Case cases[] = {
        {TrackInfo::kYear, "05", "2005"},   {TrackInfo::kYear, "0", "    "},   {TrackInfo::kYear, "19999", "1999"},
        {TrackInfo::kYear, "", "    "},     {TrackInfo::kYear, "'84", "2084"}, {TrackInfo::kYear, "2008", "2008"},
        {TrackInfo::kYear, "Y2k8", "2028"}, {TrackInfo::kMonth, "13", "12"},   {TrackInfo::kMonth, "7", "07"},
        {TrackInfo::kMonth, "0", "  "},     {TrackInfo::kMonth, "x", "  "},    {TrackInfo::kDay, "0", "  "},
        {TrackInfo::kDay, "32", "31"},      {TrackInfo::kDay, "4th", "04"},    {TrackInfo::kDay, "123", "12"},
        {TrackInfo::kHour, "25", "23"},     {TrackInfo::kHour, "0", "00"},     {TrackInfo::kHour, "", "  "},
        {TrackInfo::kMinute, "7", "07"},    {TrackInfo::kMinute, "60", "59"},  {TrackInfo::kSecond, "00", "00"},
        {TrackInfo::kSecond, "-5", "05"},   {TrackInfo::kSecond, " ", "  "},
    };
    for (const Case& c : cases)
    {
        TrackInfo record;
        record.setTextField(c.input, c.field, false);
        EXPECT_EQ(record.getTextField(c.field), juce::String(c.stored)) << "field " << c.field << " input " << c.input;
    }
}

TEST(TrackInfo, TextFieldsFoldFullWidthForms)
{
    TrackInfo record;
    // "ＡＢＣ：１" in full-width forms.
    const juce::String fullWidth = toJuceString(u"\uFF21\uFF22\uFF23\uFF1A\uFF11");
    record.setTextField(fullWidth, TrackInfo::kTitle, false);
    EXPECT_EQ(record.getTextField(TrackInfo::kTitle), juce::String("ABC:1"));
    // The song name keeps the colon, which file names may not hold.
    record.setTextField(fullWidth, TrackInfo::kSongName, false);
    EXPECT_EQ(record.getTextField(TrackInfo::kSongName), toJuceString(u"ABC\uFF1A1"));
    // Text with other characters is left alone.
    const juce::String mixed = toJuceString(u"\u3042\uFF21");
    record.setTextField(mixed, TrackInfo::kGenre, false);
    EXPECT_EQ(record.getTextField(TrackInfo::kGenre), mixed);
    // Field numbers outside 0..11 change nothing.
    record.setTextField("x", 12, true);
    EXPECT_TRUE(record.getTextField(12).isEmpty());
}

TEST(TrackInfo, TextChangeIsAnnouncedOnlyWhenAskedAndChanged)
{
    TrackInfo record;
    Recorder recorder;
    record.addListener(&recorder);
    record.setTextField("Title", TrackInfo::kTitle, false);
    record.setTextField("Title", TrackInfo::kTitle, true);
    record.setTextField("13", TrackInfo::kMonth, true);
    // Another spelling of the same stored month.
    record.setTextField("12", TrackInfo::kMonth, true);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"text 7"}));
    record.removeListener(&recorder);
}

TEST(TrackInfo, ControlValuesAreRoundedAndHeld)
{
    struct Case
    {
        int target;
        float input;
        float stored;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {TrackInfo::kBalance, 0.005f, 0.01f},    {TrackInfo::kBalance, -0.005f, -0.01f},
        {TrackInfo::kBalance, 1.3f, 1.0f},       {TrackInfo::kBalance, -7.0f, -1.0f},
        {TrackInfo::kBalance, 0.333f, 0.33f},    {TrackInfo::kBalance, nan, 0.0f},
        {TrackInfo::kFadeInTime, 10.04f, 10.0f}, {TrackInfo::kFadeInTime, -2.0f, 0.0f},
        {TrackInfo::kFadeInTime, 2.25f, 2.3f},   {TrackInfo::kFadeOutTime, 0.04f, 0.0f},
        {TrackInfo::kFadeOutTime, inf, 10.0f},   {TrackInfo::kGain, 1.26f, 1.3f},
        {TrackInfo::kGain, -1.25f, -1.3f},       {TrackInfo::kGain, 75.0f, 60.0f},
        {TrackInfo::kGain, -75.0f, -60.0f},      {TrackInfo::kGain, nan, 0.0f},
        {TrackInfo::kGain, -inf, -60.0f},
    };
    for (const Case& c : cases)
    {
        TrackInfo record;
        record.setFloatControl(c.target, 0.5f);
        record.setFloatControl(c.target, c.input);
        EXPECT_FLOAT_EQ(record.getFloatControl(c.target), c.stored) << "target " << c.target << " input " << c.input;
        EXPECT_FALSE(std::signbit(record.getFloatControl(c.target)) && c.stored == 0.0f) << "negative zero";
    }

    struct IntCase
    {
        int target;
        int input;
        int stored;
    };
    const IntCase intCases[] = {{TrackInfo::kFadeInType, 5, 2},
                                {TrackInfo::kFadeInType, -1, 0},
                                {TrackInfo::kFadeOutType, 1, 1},
                                {TrackInfo::kDcCut, 7, 1},
                                {TrackInfo::kDcCut, -3, 0}};
    for (const IntCase& c : intCases)
    {
        TrackInfo record;
        record.setIntControl(c.target, c.input);
        EXPECT_EQ(record.getIntControl(c.target), c.stored) << "target " << c.target << " input " << c.input;
    }
}

TEST(TrackInfo, ControlsOfTheOtherTypeAreIgnored)
{
    TrackInfo record;
    Recorder recorder;
    record.addListener(&recorder);
    record.setFloatControl(TrackInfo::kDcCut, 1.0f);
    record.setIntControl(TrackInfo::kGain, 5);
    record.setIntControl(7, 1);
    EXPECT_EQ(record.getIntControl(TrackInfo::kDcCut), 0);
    EXPECT_EQ(record.getFloatControl(TrackInfo::kGain), 0.0f);
    EXPECT_EQ(record.getFloatControl(TrackInfo::kFadeInType), 0.0f);
    EXPECT_TRUE(recorder.events.empty());
    record.removeListener(&recorder);
}

TEST(TrackInfo, ControlChangeIsAnnouncedOnce)
{
    TrackInfo record;
    Recorder recorder;
    record.addListener(&recorder);
    record.addListener(&recorder); // registered once only
    record.setFloatControl(TrackInfo::kGain, 3.0f);
    record.setFloatControl(TrackInfo::kGain, 3.04f); // stores 3.0 again
    record.setIntControl(TrackInfo::kFadeOutType, 9);
    record.setIntControl(TrackInfo::kFadeOutType, 2);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"control 0", "control 3"}));
    record.removeListener(&recorder);
    record.setFloatControl(TrackInfo::kGain, 1.0f);
    EXPECT_EQ(recorder.events.size(), 2u);
}

TEST(GainRounding, Table)
{
    struct Case
    {
        float dB;
        bool exact;
        float result;
    };
    const Case cases[] = {
        {1.26f, false, 1.2f},
        {-1.26f, false, -1.3f},
        {1.25f, true, 1.3f},
        {-1.25f, true, -1.3f},
        {1.24f, true, 1.2f},
        {0.04f, false, 0.0f},
        {-0.04f, true, 0.0f},
        {75.0f, false, 60.0f},
        {-60.05f, true, -60.0f},
        {1e30f, true, 60.0f},
        {-1e30f, false, -60.0f},
        // Sums of steps held as floats stay on their step when rounding down
        // (-59.9f + 8.8f is -51.1000031).
        {-59.9f + 8.8f, false, -51.1f},
        {1.3f, false, 1.3f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(roundGainDb(c.dB, c.exact), c.result) << c.dB << (c.exact ? " exact" : " down");
    EXPECT_EQ(roundGainDb(std::numeric_limits<float>::quiet_NaN(), false), 0.0f);
    EXPECT_FALSE(std::signbit(roundGainDb(-0.04f, true)));

    // Every step from -60 to +60 dB, stored as the record stores it, is kept
    // by rounding down.
    for (int step = -600; step <= 600; ++step)
    {
        TrackInfo record;
        record.setFloatControl(TrackInfo::kGain, float(step) / 10.0f);
        ASSERT_EQ(roundGainDb(record.gain, false), record.gain) << step;
    }
}

TEST(TrackInfo, EffectiveGainAddsTheDetectedGainRoundedDown)
{
    TrackInfo record;
    record.setFloatControl(TrackInfo::kGain, 1.0f);
    record.normalizeGain = 0.26f;
    EXPECT_FLOAT_EQ(record.getEffectiveGain(), 1.0f);
    record.normalizeGainValid = true;
    EXPECT_FLOAT_EQ(record.getEffectiveGain(), 1.2f);
    record.setFloatControl(TrackInfo::kGain, -59.9f);
    record.normalizeGain = 8.8f;
    EXPECT_FLOAT_EQ(record.getEffectiveGain(), -51.1f);
    record.normalizeGain = 170.0f;
    EXPECT_FLOAT_EQ(record.getEffectiveGain(), 60.0f);
}

TEST(TrackInfo, Marks)
{
    TrackInfo record;
    record.lengthMinutes = 1;
    record.lengthSeconds = 30.5f; // 90.5 s
    Recorder recorder;
    record.addListener(&recorder);

    EXPECT_TRUE(record.addMarker(10.0));
    EXPECT_TRUE(record.addMarker(5.0));
    EXPECT_FALSE(record.addMarker(5.0004)); // same millisecond
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"marks 0", "marks 0"}));

    recorder.events.clear();
    struct Move
    {
        int index;
        double seconds;
        int result;
        std::vector<double> marks;
        const char* announced; // null: nothing
    };
    const Move moves[] = {
        {0, 200.0, 1, {10.0, 90.5}, "marks 1"},     // beyond the length: at the length
        {0, -3.0, 0, {0.0, 90.5}, "marks 0"},       // before the start: at 0
        {5, 1.0, 5, {0.0, 90.5}, "marks 5"},        // no such mark: nothing moves
        {1, 0.0002, 1, {0.0, 90.5}, nullptr},       // onto the other mark: it stays where it was
        {1, std::nan(""), 1, {0.0, 90.5}, nullptr}, // no time: nothing moves
    };
    for (const Move& m : moves)
    {
        recorder.events.clear();
        const int result = record.moveMarker(m.index, m.seconds);
        std::vector<double> marks;
        for (int i = 0; i < record.markers->GetCount(); ++i)
            marks.push_back(record.markers->GetAt(i));
        EXPECT_EQ(result, m.result) << m.index << " -> " << m.seconds;
        EXPECT_EQ(marks, m.marks) << m.index << " -> " << m.seconds;
        EXPECT_EQ(recorder.events,
                  m.announced != nullptr ? std::vector<std::string>{m.announced} : std::vector<std::string>{});
    }

    recorder.events.clear();
    EXPECT_FALSE(record.removeMarker(2));
    EXPECT_TRUE(record.removeMarker(0));
    CMarker replacement;
    replacement.Add(1.0);
    replacement.Add(2.0);
    record.setMarkers(replacement);
    EXPECT_EQ(record.markers->GetCount(), 2);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"marks -1", "marks -1"}));
    record.removeListener(&recorder);
}

TEST(TrackInfo, CloneCopiesTheSongButNotListenersOrSessionState)
{
    TrackInfo original;
    addFile(original, u"/music/a.wav");
    original.song->GetMarker()->Add(3.0);
    original.markers->Add(4.0);
    original.setTextField("Name", TrackInfo::kSongName, false);
    original.setTextField("2008", TrackInfo::kYear, false);
    original.setPicturePath("/pictures/cover.png");
    original.setFloatControl(TrackInfo::kGain, -3.0f);
    original.setIntControl(TrackInfo::kFadeInType, 1);
    original.setFloatControl(TrackInfo::kFadeInTime, 2.0f);
    original.setFloatControl(TrackInfo::kBalance, 0.25f);
    original.readable = true;
    original.dataSpecStale = false;
    original.formatName = "WAV";
    original.sampleRate = 48000.0f;
    original.lengthFrames = 48000;
    original.isCurrent = true;
    original.normalizeGainValid = true;
    original.normalizeGain = 4.5f;
    Recorder recorder;
    original.addListener(&recorder);

    TrackInfo clone(original);
    EXPECT_EQ(clone.getTextField(TrackInfo::kSongName), juce::String("Name"));
    EXPECT_EQ(clone.getTextField(TrackInfo::kYear), juce::String("2008"));
    EXPECT_EQ(clone.getPicturePath(), juce::String("/pictures/cover.png"));
    EXPECT_FLOAT_EQ(clone.gain, -3.0f);
    EXPECT_EQ(clone.fadeInType, 1);
    EXPECT_FLOAT_EQ(clone.fadeInTime, 2.0f);
    EXPECT_FLOAT_EQ(clone.balance, 0.25f);
    EXPECT_TRUE(clone.readable);
    EXPECT_FALSE(clone.dataSpecStale);
    EXPECT_EQ(clone.getFormatName(), juce::String("WAV"));
    EXPECT_EQ(clone.sampleRate, 48000.0f);
    EXPECT_EQ(clone.lengthFrames, 48000u);
    EXPECT_EQ(clone.markers->GetCount(), 1);
    EXPECT_EQ(clone.song->GetMarker()->GetCount(), 1);
    EXPECT_FALSE(clone.isCurrent);
    EXPECT_FALSE(clone.normalizeGainValid);
    EXPECT_EQ(clone.normalizeGain, 0.0f);
    EXPECT_FLOAT_EQ(clone.getEffectiveGain(), -3.0f);

    // A deep copy: the clone's song is its own.
    clone.song->GetSection(0)->GetTrack(0)->GetFile(0)->SetPath(u"/elsewhere.wav");
    EXPECT_EQ(original.song->GetSection(0)->GetTrack(0)->GetFile(0)->GetPath(), u"/music/a.wav");
    // The original's listener hears nothing of the clone.
    clone.setTextField("Other", TrackInfo::kTitle, true);
    clone.setFloatControl(TrackInfo::kGain, 1.0f);
    EXPECT_TRUE(recorder.events.empty());
    original.removeListener(&recorder);
}

TEST(TrackInfo, PictureChangeIsAnnouncedWhenThePathDiffers)
{
    TrackInfo record;
    Recorder recorder;
    record.addListener(&recorder);
    record.setPicturePath("/a.png");
    record.setPicturePath("/a.png");
    record.setPicturePath("/A.png");
    record.setPicturePath("");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"picture", "picture", "picture"}));
    record.removeListener(&recorder);
}

TEST(TrackInfo, ListenerMayRemoveItselfWhileTold)
{
    struct SelfRemover : TrackInfoListener
    {
        TrackInfo* record = nullptr;
        int calls = 0;
        void pictureChanged(TrackInfo*) override
        {
            ++calls;
            record->removeListener(this);
        }
    };
    TrackInfo record;
    SelfRemover first;
    first.record = &record;
    Recorder second;
    record.addListener(&first);
    record.addListener(&second);
    record.setPicturePath("/a.png");
    record.setPicturePath("/b.png");
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.events.size(), 2u);
    record.removeListener(&second);
}

TEST(TrackInfo, WriteMetadataReplacesTheTextsForExport)
{
    TrackInfo record;
    record.setTextField("Title", TrackInfo::kTitle, false);
    record.setTextField("Artist", TrackInfo::kArtist, false);
    record.setTextField("Genre", TrackInfo::kGenre, false);
    record.text[TrackInfo::kYear] = "2008";
    record.text[TrackInfo::kMonth] = "7"; // as an older song list may hold it
    record.setTextField("4", TrackInfo::kDay, false);
    record.setTextField("9", TrackInfo::kHour, false);
    record.setPicturePath("/pictures/cover.jpg");

    CAudioMetaData metaData;
    metaData.GetField(CAudioMetaData::kAlbum)->SetNarrow(-1, "Album of the source file");
    metaData.GetField(CAudioMetaData::kSoftware)->SetEncoderText();
    EXPECT_EQ(record.writeMetadata(metaData), MetadataWriteResult::Written);

    EXPECT_STREQ(metaData.GetField(CAudioMetaData::kTitle)->GetNarrow(), "Title");
    EXPECT_STREQ(metaData.GetField(CAudioMetaData::kArtist)->GetNarrow(), "Artist");
    EXPECT_STREQ(metaData.GetField(CAudioMetaData::kGenre)->GetNarrow(), "Genre");
    EXPECT_TRUE(metaData.GetField(CAudioMetaData::kAlbum)->IsEmpty());
    EXPECT_TRUE(metaData.GetField(CAudioMetaData::kSoftware)->IsEmpty());
    EXPECT_STREQ(metaData.GetField(CAudioMetaData::kDate)->GetNarrow(), "2008-07-04");
    // Blank parts stay blank (the record strips trailing blanks).
    EXPECT_STREQ(metaData.GetField(CAudioMetaData::kTime)->GetNarrow(), "09:  :");
    EXPECT_EQ(std::u16string(metaData.GetPicturePath()), u"/pictures/cover.jpg");

    TrackInfo empty;
    EXPECT_EQ(empty.writeMetadata(metaData), MetadataWriteResult::Written);
    EXPECT_TRUE(metaData.GetField(CAudioMetaData::kTitle)->IsEmpty());
    EXPECT_STREQ(metaData.GetField(CAudioMetaData::kDate)->GetNarrow(), "    -  -");
    EXPECT_EQ(std::u16string(metaData.GetPicturePath()), u"");
}

// A picture whose path does not fit the metadata record cannot go with an
// export; the record says so instead of exporting without it unnoticed, and
// the texts are written all the same.
TEST(TrackInfo, APicturePathTooLongForTheRecordIsReported)
{
    const juce::String folder = "/" + juce::String::repeatedString("folder/", 150);
    const struct
    {
        juce::String path;
        MetadataWriteResult expected;
    } cases[] = {
        {folder.substring(0, CAudioMetaData::kMaxPicturePathLength - 9) + "cover.jpg", MetadataWriteResult::Written},
        {folder.substring(0, CAudioMetaData::kMaxPicturePathLength - 8) + "cover.jpg",
         MetadataWriteResult::PictureLeftOut},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path.length());
        TrackInfo record;
        record.setTextField("Title", TrackInfo::kTitle, false);
        record.setPicturePath(c.path);
        CAudioMetaData metaData;
        EXPECT_EQ(record.writeMetadata(metaData), c.expected);
        EXPECT_STREQ(metaData.GetField(CAudioMetaData::kTitle)->GetNarrow(), "Title");
        EXPECT_EQ(std::u16string(metaData.GetPicturePath()),
                  c.expected == MetadataWriteResult::Written ? toEngineText(c.path) : u"");
    }
}

TEST(TrackInfo, ApplyControlsSetsTheDynamicsInOrder)
{
    struct Dynamics : CDynamicControlParams
    {
        std::vector<std::string> calls;
        float SetGain(float dB) override
        {
            calls.push_back(juce::String::formatted("gain %.1f", dB).toStdString());
            return dB;
        }
        float SetPan(float pan) override
        {
            calls.push_back(juce::String::formatted("pan %.2f", pan).toStdString());
            return pan;
        }
        uint32_t SetDcCut(uint32_t mode) override
        {
            calls.push_back("dc " + std::to_string(mode));
            return mode;
        }
        void SetFade(int inKind, float inSeconds, int outKind, float outSeconds) override
        {
            calls.push_back(
                juce::String::formatted("fade %d %.1f %d %.1f", inKind, inSeconds, outKind, outSeconds).toStdString());
        }
        float GetGain() override { return 0; }
        float GetPan() override { return 0; }
        uint32_t GetDcCut() override { return 0; }
        void GetFade(int*, float*, int*, float*) override {}
    };

    TrackInfo record;
    record.setFloatControl(TrackInfo::kGain, -2.0f);
    record.setIntControl(TrackInfo::kFadeInType, 1);
    record.setFloatControl(TrackInfo::kFadeInTime, 1.5f);
    record.setIntControl(TrackInfo::kFadeOutType, 2);
    record.setFloatControl(TrackInfo::kFadeOutTime, 3.0f);
    record.setIntControl(TrackInfo::kDcCut, 1);
    record.setFloatControl(TrackInfo::kBalance, -0.5f);
    record.normalizeGainValid = true;
    record.normalizeGain = 5.37f;

    Dynamics plain;
    record.applyControls(plain, false);
    EXPECT_EQ(plain.calls, (std::vector<std::string>{"gain -2.0", "fade 1 1.5 2 3.0", "dc 1", "pan -0.50"}));
    Dynamics normalised;
    record.applyControls(normalised, true);
    EXPECT_EQ(normalised.calls.front(), "gain 3.3");
    record.normalizeGainValid = false;
    Dynamics withoutDetection;
    record.applyControls(withoutDetection, true);
    EXPECT_EQ(withoutDetection.calls.front(), "gain -2.0");
}

TEST(TrackInfo, SourceFilesInSongOrder)
{
    TrackInfo record;
    CPlaylistSection* first = record.song->AddSection();
    first->AddTrack()->AddFile()->SetPath(u"a");
    CPlaylistTrack* second = first->AddTrack();
    second->AddFile()->SetPath(u"b");
    second->AddFile()->SetPath(u"c");
    record.song->AddSection()->AddTrack()->AddFile()->SetPath(u"d");

    std::vector<CPlaylistFile*> files{nullptr};
    record.getSourceFiles(files);
    std::vector<std::u16string> paths;
    for (const CPlaylistFile* file : files)
        paths.push_back(file->GetPath());
    EXPECT_EQ(paths, (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
}

TEST(TrackInfo, FormatComparisons)
{
    auto make = [](const char* format, float rate, int bits, int channels) {
        auto record = std::make_unique<TrackInfo>();
        record->readable = true;
        record->formatName = format;
        record->sampleRate = rate;
        record->bitsPerSample = bits;
        record->channels = channels;
        record->song->AddSection()->AddTrack()->AddFile()->SetPath(u"/a.wav");
        return record;
    };
    auto a = make("WAV", 44100.0f, 16, 2);
    auto b = make("WAV", 44100.0f, 16, 2);
    EXPECT_TRUE(TrackInfo::hasSameFormat(a.get(), b.get()));
    EXPECT_FALSE(TrackInfo::hasSameFormat(nullptr, b.get()));
    EXPECT_FALSE(TrackInfo::hasSameFormat(a.get(), nullptr));
    auto other = make("WAV", 48000.0f, 16, 2);
    EXPECT_FALSE(TrackInfo::hasSameFormat(a.get(), other.get()));
    b->compressed = true;
    EXPECT_FALSE(TrackInfo::hasSameFormat(a.get(), b.get()));
    b->compressed = false;
    b->readable = false;
    EXPECT_FALSE(TrackInfo::hasSameFormat(a.get(), b.get()));

    // Seamless joining: `next` continues `previous` in the same file.
    auto previous = make("WAV", 44100.0f, 16, 2);
    previous->song->GetSection(0)->GetTrack(0)->GetFile(0)->SetEnd(1000);
    auto next = make("WAV", 44100.0f, 16, 2);
    next->song->GetSection(0)->GetTrack(0)->GetFile(0)->SetStart(1000);
    EXPECT_TRUE(TrackInfo::CanJoinSeamlessly(next.get(), previous.get()));
    EXPECT_FALSE(TrackInfo::CanJoinSeamlessly(previous.get(), next.get()));
    EXPECT_FALSE(TrackInfo::CanJoinSeamlessly(next.get(), nullptr));
    EXPECT_FALSE(TrackInfo::CanJoinSeamlessly(nullptr, previous.get()));

    struct Change
    {
        const char* what;
        void (*apply)(TrackInfo& next, TrackInfo& previous);
        bool joins;
    };
    const Change changes[] = {
        {"gain differs", [](TrackInfo& n, TrackInfo&) { n.setFloatControl(TrackInfo::kGain, 1.0f); }, false},
        {"balance differs", [](TrackInfo&, TrackInfo& p) { p.setFloatControl(TrackInfo::kBalance, 0.1f); }, false},
        {"previous compressed", [](TrackInfo&, TrackInfo& p) { p.compressed = true; }, false},
        {"channels differ", [](TrackInfo& n, TrackInfo&) { n.channels = 1; }, false},
        {"fade out",
         [](TrackInfo&, TrackInfo& p) {
             p.setIntControl(TrackInfo::kFadeOutType, 1);
             p.setFloatControl(TrackInfo::kFadeOutTime, 1.0f);
         },
         false},
        {"fade out of no length", [](TrackInfo&, TrackInfo& p) { p.setIntControl(TrackInfo::kFadeOutType, 1); }, true},
        {"fade in",
         [](TrackInfo& n, TrackInfo&) {
             n.setIntControl(TrackInfo::kFadeInType, 2);
             n.setFloatControl(TrackInfo::kFadeInTime, 0.5f);
         },
         false},
        {"fade-in time without a type",
         [](TrackInfo& n, TrackInfo&) { n.setFloatControl(TrackInfo::kFadeInTime, 0.5f); }, true},
    };
    for (const Change& change : changes)
    {
        TrackInfo n(*next);
        TrackInfo p(*previous);
        change.apply(n, p);
        EXPECT_EQ(TrackInfo::CanJoinSeamlessly(&n, &p), change.joins) << change.what;
    }
}

TEST(TrackInfo, PictureFileSize)
{
    qm::test::TempFolder folder;
    {
        std::ofstream(folder.file("cover.JPG"), std::ios::binary) << std::string(1234, 'x');
        std::ofstream(folder.file("notes.txt"), std::ios::binary) << "not a picture";
    }
    TrackInfo record;
    EXPECT_EQ(record.getPictureFileSize(), 0u);
    // By extension, the file's size whatever it holds.
    record.setPicturePath(juce::String(folder.file("cover.JPG").string()));
    EXPECT_EQ(record.getPictureFileSize(), 1234u);
    record.setPicturePath(juce::String(folder.file("missing.png").string()));
    EXPECT_EQ(record.getPictureFileSize(), 0u);
    // A folder named like a picture has no size.
    std::filesystem::create_directory(folder.file("folder.png"));
    record.setPicturePath(juce::String(folder.file("folder.png").string()));
    EXPECT_EQ(record.getPictureFileSize(), 0u);
    // Anything else through a picture reader: none opens a text file.
    record.setPicturePath(juce::String(folder.file("notes.txt").string()));
    EXPECT_EQ(record.getPictureFileSize(), 0u);
}

TEST(TrackInfo, RefreshDataSpecMeasuresTheSongAndCentresAMonoBalance)
{
    qm::test::TempFolder folder;
    TrackInfo record;
    addFile(record, writeWav(folder.file("mono.wav"), 1, 66150));
    record.setFloatControl(TrackInfo::kBalance, 0.5f);
    Recorder recorder;
    record.addListener(&recorder);

    CSongRead reader;
    bool moved = true;
    EXPECT_TRUE(record.refreshDataSpec(reader, &moved, true));
    EXPECT_FALSE(moved);
    EXPECT_TRUE(record.readable);
    EXPECT_FALSE(record.dataSpecStale);
    EXPECT_EQ(record.channels, 1);
    EXPECT_EQ(record.bitsPerSample, 16);
    EXPECT_EQ(record.sampleRate, 44100.0f);
    EXPECT_EQ(record.lengthFrames, 66150u);
    EXPECT_FLOAT_EQ(record.lengthSeconds, 1.5f);
    EXPECT_EQ(record.getFormatName(), juce::String("WAV"));
    EXPECT_EQ(record.balance, 0.0f);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"control 6", "dataspec"}));

    // Without notification nobody hears of it; a missing file is unreadable
    // and keeps the format data it had.
    recorder.events.clear();
    std::filesystem::remove(folder.file("mono.wav"));
    EXPECT_FALSE(record.refreshDataSpec(reader, nullptr, false));
    EXPECT_FALSE(record.readable);
    EXPECT_EQ(record.lengthFrames, 66150u);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(record.isReadable());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"dataspec"}));
    record.removeListener(&recorder);
}

TEST(TrackInfo, CdSongNotFoundKeepsItsPaths)
{
    TrackInfo record;
    record.formatName = "CD";
    addFile(record, u"/no/such/drive", 0x12345678);
    // A file without a disc identifier is never sent to an empty drive.
    addFile(record, u"/no/such/file.wav", 0);
    Recorder recorder;
    record.addListener(&recorder);
    CSongRead reader;
    bool moved = true;
    EXPECT_FALSE(record.refreshDataSpec(reader, &moved, false));
    EXPECT_FALSE(moved);
    EXPECT_FALSE(record.readable);
    std::vector<CPlaylistFile*> files;
    record.getSourceFiles(files);
    EXPECT_EQ(files[0]->GetPath(), u"/no/such/drive");
    EXPECT_EQ(files[1]->GetPath(), u"/no/such/file.wav");
    // Each relocation attempt tells the observers.
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"dataspec", "dataspec"}));
    record.removeListener(&recorder);
}
