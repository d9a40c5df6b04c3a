#include "session/parameters/DiscBurnParameter.h"

#include "disc/CAudioDiscBurnProxy.h"
#include "tests/disc/FakeDiscBurnImp.h"
#include "tests/session/parameters/SettingsFixture.h"

using Tavrel::DiscBurnParameter;
using D = DiscBurnParameter;

namespace
{
DiscBurnDeviceRecord Drive(const std::string& drive, const std::string& vendor, const std::string& product,
                           bool writesCdr = true)
{
    DiscBurnDeviceRecord record;
    record.drive = drive;
    record.vendor = vendor;
    record.product = product;
    record.mediaFlags[2] = writesCdr ? 1 : 0;
    return record;
}

// A burner over a fake disc writer that the test sets up before the burner
// is made.
class DiscSettings : public qm::test::SettingsFixture
{
protected:
    DiscSettings()
        : proxy([this] {
              auto burnImp = std::make_unique<FakeDiscBurnImp>();
              fake = burnImp.get();
              burnImp->devices = devices;
              burnImp->devicesAfterRescan = devices;
              burnImp->discType = discType;
              burnImp->speeds = speeds;
              burnImp->rawPW = rawPW;
              return burnImp;
          })
    {
    }

    std::vector<DiscBurnDeviceRecord> devices;
    DiscTypeCode discType = -1;
    std::vector<uint32_t> speeds;
    bool rawPW = true;
    FakeDiscBurnImp* fake = nullptr;
    CAudioDiscBurnProxy proxy;
};

TEST_P(DiscSettings, NoDrive)
{
    DiscBurnParameter set(&proxy);
    Bind(set);
    EXPECT_TRUE(set.getChoiceTexts(D::kDrive).isEmpty());
    EXPECT_EQ(set.getDriveIndex(), -1);
    ASSERT_NE(fake, nullptr);
    EXPECT_TRUE(fake->selectedDevices.empty());
    set.refreshDriveList();
    Settle();
    EXPECT_EQ(set.getDriveIndex(), -1);
    EXPECT_TRUE(fake->selectedDevices.empty());
    EXPECT_TRUE(set.shouldShowDriveWarning()) << "no drive open: no raw P-W writing known";

    // No proxy at all: the same, and nothing breaks.
    DiscBurnParameter none(nullptr);
    EXPECT_EQ(none.getDriveIndex(), -1);
    EXPECT_EQ(none.getChoiceValues(D::kWriteSpeed).size(), 15);
}

TEST_P(DiscSettings, DrivesByTheirTexts)
{
    // Inquiry strings come padded.
    devices = {Drive("D", "V  ", "P   "), Drive("D", "V", "P"), Drive("/dev/sr1", "E", "DVD", false)};
    DiscBurnParameter set(&proxy);
    Bind(set);
    EXPECT_EQ(set.getChoiceTexts(D::kDrive), (juce::StringArray{"D V P", "D V P (2)", "/dev/sr1 E DVD"}));
    EXPECT_EQ(set.getEnabledChoices(D::kDrive).toInteger(), 0b011) << "a drive without CD-R or DVD-R writing";
    EXPECT_EQ(set.getDriveIndex(), 0);
    EXPECT_EQ(fake->selectedDevices.front(), 0);

    // The saved text selects exactly that drive; a gone one keeps the drive.
    CTVPreferences::GetStoredInstance()->SetString("Export_Drive_Name", "D V P (2)");
    set.loadFromRegistry();
    Settle();
    EXPECT_EQ(set.getDriveIndex(), 1);
    EXPECT_EQ(fake->selectedDevices.back(), 1);
    CTVPreferences::GetStoredInstance()->SetString("Export_Drive_Name", "Gone Drive");
    set.loadFromRegistry();
    Settle();
    EXPECT_EQ(set.getDriveIndex(), 1);
    set.saveToRegistry();
    ReopenSettings();
    EXPECT_EQ(CTVPreferences::GetStoredInstance()->GetString("Export_Drive_Name", ""), "D V P (2)");

    // After a rescan that moved it, the same drive stays selected.
    fake->devicesAfterRescan = {devices[2], devices[1], devices[0]};
    set.refreshDriveList();
    Settle();
    EXPECT_EQ(fake->rescans, 1);
    EXPECT_EQ(set.getItemText(D::kDrive), "D V P (2)");
}

TEST_P(DiscSettings, WriteSpeeds)
{
    const std::vector<int> defaults = {0, 176, 352, 704, 1056, 1408, 1760, 2112, 2816, 3520, 4224, 5632, 7040, 8448, 9856};
    const juce::StringArray defaultTexts = {"Maximum", "x1",  "x2",  "x4",  "x6",  "x8",  "x10", "x12",
                                            "x16",     "x20", "x24", "x32", "x40", "x48", "x56"};
    struct Case
    {
        const char* name;
        DiscTypeCode disc;
        std::vector<uint32_t> speeds;
        std::vector<int> values;
    };
    const Case cases[] = {
        {"no disc", -1, {845, 2816}, defaults},
        {"a DVD in an audio-CD burn", 5, {1385, 2770}, defaults},
        {"a blank CD-R", 2, {845, 1408, 2816}, {0, 845, 1408, 2816}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        boxes.clear();
        devices = {Drive("D", "V", "P")};
        discType = c.disc;
        speeds = c.speeds;
        proxy.SetRecreate(true);
        DiscBurnParameter set(&proxy);
        Bind(set);
        const juce::Array<int> values = set.getChoiceValues(D::kWriteSpeed);
        EXPECT_EQ(std::vector<int>(values.begin(), values.end()), c.values);
        if (c.disc != 2)
            EXPECT_EQ(set.getChoiceTexts(D::kWriteSpeed), defaultTexts);
        else
            EXPECT_EQ(set.getChoiceTexts(D::kWriteSpeed), (juce::StringArray{"Maximum", "x4.8", "x8", "x16"}));

        // The maximum asks the burner for the drive's fastest.
        CAudioDiscBurnBase* burner = proxy.GetBurner();
        ASSERT_TRUE(set.selectChoiceByValue(D::kWriteSpeed, c.values[2]));
        Settle();
        EXPECT_EQ(burner->GetRequestedWriteSpeed(), static_cast<uint32_t>(c.values[2]));
        ASSERT_TRUE(set.selectChoiceByValue(D::kWriteSpeed, 0));
        Settle();
        EXPECT_EQ(burner->GetRequestedWriteSpeed(), CAudioDiscBurnBase::kMaximumWriteSpeed);
        EXPECT_EQ(set.getWriteSpeed(), 0);
    }
    EXPECT_EQ(DiscBurnParameter::formatWriteSpeed(1408, 0), "x8");
    EXPECT_EQ(DiscBurnParameter::formatWriteSpeed(3324, 1), "x2.4");
}

// A set that also offers a second disc format, to see what depends on it.
class TwoFormats : public DiscBurnParameter
{
public:
    explicit TwoFormats(CAudioDiscBurnProxy* proxy)
        : DiscBurnParameter(proxy)
    {
        m_discFormats.push_back(1);
    }
};

TEST_P(DiscSettings, GapsAndTheOtherItems)
{
    devices = {Drive("D", "V", "P")};
    TwoFormats set(&proxy);
    Bind(set);
    EXPECT_EQ(set.getChoiceTexts(D::kGap), (juce::StringArray{"None", "1 sec", "2 sec", "3 sec", "4 sec", "5 sec"}));
    ASSERT_TRUE(set.setChoice(D::kGap, 3));
    EXPECT_FLOAT_EQ(set.getGapSeconds(), 3.0f);
    EXPECT_EQ(set.getOutputSampleRate(), 44100);
    EXPECT_EQ(set.getOutputBitDepth(), 16);
    ASSERT_TRUE(set.setChoice(D::kDiscFormat, 1));
    Settle();
    EXPECT_EQ(set.getEnabledChoices(D::kGap).toInteger(), 0);
    EXPECT_FLOAT_EQ(set.getGapSeconds(), 0.0f);
    EXPECT_EQ(set.getChoiceValues(D::kWriteSpeed)[1], 1385);
    EXPECT_FALSE(set.shouldShowDriveWarning());
    ASSERT_TRUE(set.setChoice(D::kDiscFormat, 0));
    EXPECT_EQ(set.getChoiceTexts(D::kEraseMode), (juce::StringArray{"Quick Erase", "Full Erase"}));

    set.saveToRegistry();
    ReopenSettings();
    CTVPreferences* prefs = CTVPreferences::GetStoredInstance();
    EXPECT_EQ(prefs->GetInt("Export_Disc_Gap", -1), 3);
    // The items without a name leave nothing behind.
    const juce::String file = CTVPreferences::GetSettingsFile().loadFileAsString();
    EXPECT_FALSE(file.contains("Speed"));
    EXPECT_FALSE(file.contains("Album"));
}

TEST_P(DiscSettings, TheDriveWarning)
{
    devices = {Drive("D", "V", "Writer X  ")};
    rawPW = false;
    {
        DiscBurnParameter set(&proxy);
        Bind(set);
        EXPECT_TRUE(set.shouldShowDriveWarning());
        set.hideWarningsForCurrentDrive();
        set.hideWarningsForCurrentDrive();
        EXPECT_FALSE(set.shouldShowDriveWarning());
        EXPECT_EQ(set.getHiddenWarningDrives(), juce::StringArray{"Writer X"});
    }
    ReopenSettings();
    DiscBurnParameter reloaded(&proxy);
    EXPECT_TRUE(reloaded.shouldShowDriveWarning()) << "not loaded yet";
    reloaded.loadFromRegistry();
    EXPECT_EQ(reloaded.getStoredHiddenWarningDriveCount(), 1);
    EXPECT_FALSE(reloaded.shouldShowDriveWarning());
    rawPW = true;
    proxy.SetRecreate(true);
    DiscBurnParameter capable(&proxy);
    EXPECT_FALSE(capable.shouldShowDriveWarning());
}

TEST_P(DiscSettings, AlbumTextsFromTheSongs)
{
    AddSong("", "");
    AddSong("", "First Artist");
    AddSong("First Album", "Second Artist");
    AddSong("Selected Album", "Selected Artist");
    DiscBurnParameter set(nullptr);
    Bind(set);
    set.takeAlbumTextsFromSongs(false);
    EXPECT_EQ(set.getAlbumTitle(), "First Album");
    EXPECT_EQ(set.getAlbumPerformer(), "First Artist");
    selection.addRange({3, 4});
    set.takeAlbumTextsFromSongs(true);
    EXPECT_EQ(set.getAlbumTitle(), "Selected Album");
    EXPECT_EQ(set.getAlbumPerformer(), "Selected Artist");
    selection.clear();
    selection.addRange({0, 1});
    set.takeAlbumTextsFromSongs(true);
    EXPECT_EQ(set.getAlbumTitle(), "");
    EXPECT_EQ(set.getAlbumPerformer(), "");
}

INSTANTIATE_TEST_SUITE_P(Export, DiscSettings, ::testing::Bool(), qm::test::BareOrBound);
} // namespace
