#pragma once

#include <vector>

#include "session/parameters/ExportParameter.h"

namespace Tavrel
{
// The settings of a file export: destination folder, format, mono or stereo,
// sample rate, bit depth and, for compressed formats, bit rate. The choices
// follow what the writers can produce: a new format re-checks the file type,
// which re-checks the sample rate, which re-checks the bit depth and the bit
// rate. The export sheet owns one; the file-export session copies it.
// Message thread only.
class FileExportParameter : public ExportParameter
{
public:
    enum Item
    {
        kDestination = 0,
        kFormat = 1,
        kFileType = 2,
        kSampleRate = 3,
        kBitDepth = 4,
        kBitRate = 5,
        kItemCount = 6,
    };
    // Format codes (indices of the name tables); 0, 2, 4 and 5 are offered.
    enum FormatCode
    {
        kFormatWav = 0,
        kFormatAiff = 2,
        kFormatMp3 = 4,
        kFormatWma = 5,
        kFormatCodeCount = 13,
    };
    static constexpr int kDefaultBitRate = 128000;

    // MP3 is offered when its encoder is available now.
    FileExportParameter();
    // Values and the set's own lists; no listeners or bound controls.
    FileExportParameter(const FileExportParameter& other);

    int getItemKind(int item) const override;
    juce::Array<int> getChoiceValues(int item) const override;
    juce::StringArray getChoiceTexts(int item) const override;
    juce::BigInteger getEnabledChoices(int item) const override;
    bool validateChoice(int item, int& index) override;
    bool acceptsText(int item, juce::String& text) override;
    void itemChanged(int item) override;
    juce::String getItemKey(int item) const override;
    void saveExtraToRegistry() override;
    void loadExtraFromRegistry() override;

    // What the file-export session reads.
    // "WAV", "AIFF", "MP3", "WMA"; empty when no valid format is selected.
    juce::String getFormatName() const;
    int getChannelCount() const;
    int getSampleRate() const;
    // The largest enabled depth for a compressed format, else the selected.
    int getBitDepth() const;
    // 0 for a format without bit rates.
    int getBitRate() const;
    const juce::StringArray& getRecentFolders() const { return m_recentFolders; }
    void setRecentFolders(const juce::StringArray& folders) { m_recentFolders = folders; }

    // The writer and display names of a format code; empty outside the table.
    static juce::String getWriterName(int formatCode);
    static juce::String getDisplayName(int formatCode);
    // The user's Music folder, or the home folder when there is none.
    static juce::String getDefaultDestination();

private:
    bool offersBitRates() const;
    // After the bit-rate list was refilled: the choice with the text shown
    // before, else the first rate at least the stored one, else the last.
    void reselectBitRate(const juce::String& shownText, int storedBitRate);

    std::vector<int> m_formats;
    juce::StringArray m_recentFolders;
    int m_storedBitRate = kDefaultBitRate;
    // Item 5's text after every change of its list or selection; empty while
    // the format has no bit rates. A bound box shows the same.
    juce::String m_bitRateText;
};
} // namespace Tavrel
