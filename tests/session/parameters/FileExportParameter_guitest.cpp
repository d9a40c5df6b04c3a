#include "session/parameters/FileExportParameter.h"

#include "engine/audiofile/media/CMp3FileWriteAcm.h"
#include "tests/session/TestExportParameter.h"
#include "tests/session/parameters/SettingsFixture.h"

using Tavrel::FileExportParameter;
using F = FileExportParameter;

namespace
{
using FileSettings = qm::test::SettingsFixture;

// One step: an item takes the choice of a value, as the user would pick it
// (through its bound box in a bound run).
struct Step
{
    int item;
    int value;
};

class FileSettingsSteps : public FileSettings
{
protected:
    void Apply(FileExportParameter& set, const std::vector<Step>& steps)
    {
        for (const Step& s : steps)
        {
            const int index = set.getChoiceValues(s.item).indexOf(s.value);
            ASSERT_GE(index, 0) << "item " << s.item << " offers no " << s.value;
            if (bound())
            {
                juce::ComboBox* box = BoxOf(set, s.item);
                ASSERT_NE(box, nullptr);
                box->setSelectedItemIndex(index, juce::sendNotificationSync);
            }
            else
                ASSERT_TRUE(set.setChoice(s.item, index));
            Settle();
        }
    }

    // The box bound to a choice item (bound in item order).
    juce::ComboBox* BoxOf(FileExportParameter&, int item) { return boxes.at(static_cast<size_t>(item - 1)).get(); }
};

TEST_P(FileSettingsSteps, AFreshSet)
{
    FileExportParameter set;
    Bind(set);
    EXPECT_EQ(set.getFormatName(), "WAV");
    EXPECT_EQ(set.getChannelCount(), 2);
    EXPECT_EQ(set.getSampleRate(), 44100);
    EXPECT_EQ(set.getBitDepth(), 16);
    EXPECT_EQ(set.getBitRate(), 0);
    EXPECT_EQ(set.getChoiceTexts(F::kSampleRate), (juce::StringArray{"44.1 kHz", "48.0 kHz", "88.2 kHz", "96.0 kHz"}));
    EXPECT_EQ(set.getChoiceTexts(F::kBitDepth), (juce::StringArray{"16 bit", "24 bit"}));
}

// The bit rate follows the shown text, else the stored rate, whether or not
// a box is bound to it.
TEST_P(FileSettingsSteps, TheCascadeKeepsAMeaningfulBitRate)
{
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
        int rate;
        int bitRate;
    };
    const Case cases[] = {
        {"MP3 chosen at 96 kHz", {{F::kSampleRate, 96000}, {F::kFormat, F::kFormatMp3}}, 44100, 128000},
        {"MP3 96 kbps to 48 kHz", {{F::kFormat, F::kFormatMp3}, {F::kBitRate, 96000}, {F::kSampleRate, 48000}},
         48000, 112000},
        {"MP3 128 kbps to 48 kHz", {{F::kFormat, F::kFormatMp3}, {F::kBitRate, 128000}, {F::kSampleRate, 48000}},
         48000, 128000},
        {"WMA 128016 to MP3", {{F::kFormat, F::kFormatWma}, {F::kBitRate, 128016}, {F::kFormat, F::kFormatMp3}},
         44100, 128000},
        {"WMA 128016 to WAV to MP3",
         {{F::kFormat, F::kFormatWma}, {F::kBitRate, 128016}, {F::kFormat, F::kFormatWav}, {F::kFormat, F::kFormatMp3}},
         44100, 160000},
        {"WMA 128016 to mono", {{F::kFormat, F::kFormatWma}, {F::kBitRate, 128016}, {F::kFileType, 0}}, 44100, 48024},
        {"MP3 192 kbps to WAV and back",
         {{F::kFormat, F::kFormatMp3}, {F::kBitRate, 192000}, {F::kFormat, F::kFormatWav}, {F::kFormat, F::kFormatMp3}},
         44100, 192000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        boxes.clear();
        FileExportParameter set;
        Bind(set);
        Apply(set, c.steps);
        EXPECT_EQ(set.getSampleRate(), c.rate);
        EXPECT_EQ(set.getBitRate(), c.bitRate);
        EXPECT_EQ(set.getChoiceValue(F::kBitRate), c.bitRate);
        if (bound())
        {
            EXPECT_EQ(BoxOf(set, F::kBitRate)->getText(), set.getItemText(F::kBitRate));
        }
        // A session's copy reads the same.
        const FileExportParameter copy(set);
        EXPECT_EQ(copy.getBitRate(), c.bitRate);
    }
}

TEST_P(FileSettingsSteps, FormatsRatesAndDepths)
{
    FileExportParameter set;
    Bind(set);
    // Mono WMA: 44.1 kHz only, two bit rates; WMA writes 16 bits, MP3 24.
    Apply(set, {{F::kFormat, F::kFormatWma}, {F::kFileType, 0}});
    EXPECT_EQ(set.getEnabledChoices(F::kSampleRate).toInteger(), 0b0001);
    EXPECT_EQ(set.getChoiceTexts(F::kBitRate), (juce::StringArray{"32 kbps", "48 kbps"}));
    EXPECT_EQ(set.getBitDepth(), 16);
    EXPECT_EQ(set.getFormatName(), "WMA");
    Apply(set, {{F::kFormat, F::kFormatMp3}});
    EXPECT_EQ(set.getBitDepth(), 24);
    EXPECT_EQ(set.getChannelCount(), 1);
    Apply(set, {{F::kFormat, F::kFormatAiff}, {F::kFileType, 1}, {F::kBitDepth, 24}});
    EXPECT_EQ(set.getBitDepth(), 24);
    EXPECT_EQ(set.getBitRate(), 0);
    if (bound())
    {
        EXPECT_FALSE(BoxOf(set, F::kBitRate)->isEnabled());
        EXPECT_EQ(BoxOf(set, F::kBitRate)->getNumItems(), 0);
        EXPECT_EQ(BoxOf(set, F::kBitRate)->getText(), "");
    }
}

TEST_P(FileSettingsSteps, WithoutAnMp3Encoder)
{
    CTVPreferences::GetStoredInstance()->SetInt("Export_File_Format", F::kFormatMp3);
    SimulateMp3EncoderMissing(true);
    FileExportParameter set;
    SimulateMp3EncoderMissing(false);
    Bind(set);
    EXPECT_EQ(set.getChoiceTexts(F::kFormat), (juce::StringArray{"WAV", "AIFF", "WMA"}));
    set.loadFromRegistry();
    Settle();
    EXPECT_EQ(set.getFormatName(), "WAV");
}

TEST_P(FileSettingsSteps, TheDestination)
{
    const juce::File home(folder.file("home").string());
    const juce::File music = home.getChildFile("Music");
    ASSERT_TRUE(home.createDirectory());
    const juce::File mine(folder.file("out").string());
    ASSERT_TRUE(mine.createDirectory());
    CTVPreferences::GetStoredInstance()->SetString("Export_File_OutputPath", folder.file("deleted").string());
    struct Case
    {
        bool musicExists;
        juce::String loaded;
    };
    for (const Case& c : {Case{true, music.getFullPathName()}, Case{false, home.getFullPathName()}})
    {
        SCOPED_TRACE(c.musicExists);
        if (c.musicExists)
            ASSERT_TRUE(music.createDirectory());
        else
            ASSERT_TRUE(music.deleteRecursively());
        FileExportParameter set;
        Bind(set);
        ASSERT_TRUE(set.setItemText(mine.getFullPathName(), F::kDestination));
        EXPECT_EQ(set.getItemText(F::kDestination), mine.getFullPathName());
        ASSERT_TRUE(mine.deleteRecursively());
        set.loadFromRegistry();
        EXPECT_EQ(set.getItemText(F::kDestination), c.loaded);
        ASSERT_TRUE(mine.createDirectory());
    }
}

TEST_P(FileSettingsSteps, StoredAsValues)
{
    FileExportParameter set;
    Bind(set);
    Apply(set, {{F::kFormat, F::kFormatWma}, {F::kSampleRate, 48000}, {F::kBitRate, 128016}});
    set.setRecentFolders({"/a", "/b"});
    set.saveToRegistry();
    ReopenSettings();
    CTVPreferences* prefs = CTVPreferences::GetStoredInstance();
    EXPECT_EQ(prefs->GetInt("Export_File_Format", -1), F::kFormatWma);
    EXPECT_EQ(prefs->GetInt("Export_File_SampleRate", -1), 48000);
    EXPECT_EQ(prefs->GetInt("Export_File_QualityOption", -1), 128016);
    EXPECT_EQ(prefs->GetString("Export_File_OutputPath_1", ""), "/b");

    FileExportParameter loaded;
    loaded.loadFromRegistry();
    EXPECT_EQ(loaded.getFormatName(), "WMA");
    EXPECT_EQ(loaded.getSampleRate(), 48000);
    EXPECT_EQ(loaded.getBitRate(), 128016);
    EXPECT_EQ(loaded.getRecentFolders(), (juce::StringArray{"/a", "/b"}));

    // Unknown stored values keep the current choice.
    prefs->SetInt("Export_File_SampleRate", 12345);
    prefs->SetInt("Export_File_Format", 99);
    loaded.loadFromRegistry();
    EXPECT_EQ(loaded.getFormatName(), "WMA");
    EXPECT_EQ(loaded.getSampleRate(), 48000);
}

// The user picks MP3 in the format box while 96 kHz is selected: the rate and
// bit-rate boxes change, each after its item, and the format box is left to
// the user.
TEST(FileSettingsBinder, WhatListenersHear)
{
    juce::ScopedJuceInitialiser_GUI framework;
    CBJXResource::GetInstance();
    FileExportParameter set;
    juce::ComboBox format, rate, bitRate;
    ASSERT_TRUE(set.bindComponent(&format, F::kFormat));
    ASSERT_TRUE(set.bindComponent(&rate, F::kSampleRate));
    ASSERT_TRUE(set.bindComponent(&bitRate, F::kBitRate));
    ASSERT_TRUE(set.selectChoiceByValue(F::kSampleRate, 96000));
    EXPECT_FALSE(bitRate.isEnabled());
    EXPECT_EQ(bitRate.getText(), "");
    qm::test::PumpPosted();

    std::vector<std::string> log;
    ParameterLog listener(log);
    set.AddListener(&listener);
    format.setSelectedItemIndex(set.getChoiceValues(F::kFormat).indexOf(F::kFormatMp3), juce::sendNotificationSync);
    for (int i = 0; i < 3; ++i)
        qm::test::PumpPosted();
    set.RemoveListener(&listener);

    EXPECT_EQ(set.getSampleRate(), 44100);
    EXPECT_EQ(set.getBitRate(), 128000);
    EXPECT_EQ(rate.getText(), "44.1 kHz");
    EXPECT_EQ(bitRate.getText(), "128 kbps");
    EXPECT_TRUE(bitRate.isEnabled());
    for (const juce::Component* c : listener.components)
        EXPECT_NE(c, &format);
    auto position = [&](const std::string& entry) {
        return std::find(log.begin(), log.end(), entry) - log.begin();
    };
    const auto rateChanged = position("changed 3"), rateBox = position("component 3");
    const auto bitRateChanged = position("changed 5"), bitRateBox = position("component 5");
    ASSERT_LT(rateBox, static_cast<long>(log.size()));
    ASSERT_LT(bitRateBox, static_cast<long>(log.size()));
    EXPECT_LT(rateChanged, rateBox);
    EXPECT_LT(bitRateChanged, bitRateBox);
    CBJXResource::Release();
}

INSTANTIATE_TEST_SUITE_P(Export, FileSettingsSteps, ::testing::Bool(), qm::test::BareOrBound);
} // namespace
