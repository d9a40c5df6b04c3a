#pragma once

#include <vector>

#include "session/parameters/ExportParameter.h"

class CAudioDiscBurnProxy;
class CAudioDiscBurnBase;

namespace Tavrel
{
// The settings of burning and erasing a disc: disc format, drive, write
// speed, album title and performer (CD-TEXT), the gap between songs and the
// erase mode, with the drives whose burn warning the user hid. Drives and
// speeds come from the burner of the proxy; every burner call that selects,
// rescans or reads the drives is made under the burner's lock. The disc-burn
// sheet owns one; the burn and erase sessions copy it. Message thread only.
class DiscBurnParameter : public ExportParameter
{
public:
    enum Item
    {
        kDiscFormat = 0,
        kDrive = 1,
        kWriteSpeed = 2,
        kAlbumTitle = 3,
        kAlbumPerformer = 4,
        kGap = 5,
        kEraseMode = 6,
        kItemCount = 7,
    };
    // Write speeds are multiples of these (KB/s): CD, and any other format.
    static constexpr int kCdSpeedUnit = 176;
    static constexpr int kDvdSpeedUnit = 1385;

    // The proxy is not owned and may be null (no burner: no drives).
    // Selecting drive 0 makes the burner open it.
    explicit DiscBurnParameter(CAudioDiscBurnProxy* proxy);
    // Values, the proxy and the lists; opens no drive.
    DiscBurnParameter(const DiscBurnParameter& other);

    int getItemKind(int item) const override;
    juce::Array<int> getChoiceValues(int item) const override;
    juce::StringArray getChoiceTexts(int item) const override;
    juce::BigInteger getEnabledChoices(int item) const override;
    bool validateChoice(int item, int& index) override;
    bool acceptsText(int item, juce::String& text) override;
    void itemChanged(int item) override;
    juce::String getItemKey(int item) const override;
    // The drive is stored by its text, "Export_Drive_Name".
    void saveExtraToRegistry() override;
    void loadExtraFromRegistry() override;

    // Remembers (and stores) that the selected drive's warning is hidden.
    void hideWarningsForCurrentDrive();
    // For an audio CD on a drive whose warning is not hidden: whether the
    // drive cannot write raw P-W (true while no drive is open).
    bool shouldShowDriveWarning();
    // Rescans the drives and refills the drive control; the same drive stays
    // selected when it is still there.
    void refreshDriveList();
    // Album title and performer from the first song that has one (of the
    // selected songs only when asked); empty when none has.
    void takeAlbumTextsFromSongs(bool selectedOnly);

    // What the burn and erase sessions read.
    int getDriveIndex() const { return getSelectedIndex(kDrive); }
    int getDiscFormatIndex() const { return getSelectedIndex(kDiscFormat); }
    // KB/s; 0 for the maximum.
    int getWriteSpeed() const { return getChoiceValue(kWriteSpeed); }
    int getEraseMode() const { return getChoiceValue(kEraseMode); }
    float getGapSeconds() const;
    juce::String getAlbumTitle() const { return getItemText(kAlbumTitle); }
    juce::String getAlbumPerformer() const { return getItemText(kAlbumPerformer); }
    int getOutputSampleRate() const { return getDiscFormatIndex() == 0 ? 44100 : 0; }
    int getOutputBitDepth() const { return getDiscFormatIndex() == 0 ? 16 : 1; }
    const juce::StringArray& getHiddenWarningDrives() const { return m_hiddenWarningDrives; }
    // The number of hidden-warning drives in the settings.
    int getStoredHiddenWarningDriveCount() const;

    // "x4.8", "x16": the text of a write speed for a disc format.
    static juce::String formatWriteSpeed(int kilobytesPerSecond, int discFormat);

private:
    struct Drive
    {
        juce::String text;
        juce::String product;
        bool enabled = false;
    };
    CAudioDiscBurnBase* getBurner() const;
    // The burner's drives with their unique texts, read under its lock.
    std::vector<Drive> readDrives() const;
    juce::Array<int> speedValues() const;

    CAudioDiscBurnProxy* m_proxy;

protected:
    // The offered disc formats: only the audio CD (0).
    std::vector<int> m_discFormats{0};

private:
    juce::StringArray m_hiddenWarningDrives;
};
} // namespace Tavrel
