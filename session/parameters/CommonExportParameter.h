#pragma once

#include "session/parameters/ExportParameter.h"

namespace Tavrel
{
// The settings file export and disc burning share: which songs, the DSD
// filter, the normalise mode, the dither and the temporary folder, with the
// recently used temporary folders. The export and disc-burn sheets and the
// preferences own one each; sessions take copies. Message thread only.
class CommonExportParameter : public ExportParameter
{
public:
    enum Item
    {
        kSource = 0,
        kDsdFilter = 1,
        kNormalizeMode = 2,
        kDitherType = 3,
        kTempDirectory = 4,
        kItemCount = 5,
    };
    enum Source
    {
        kSourceAll = 0,
        kSourceSelected = 1,
    };

    CommonExportParameter();
    // Values and the recent folders; no listeners or bound controls.
    CommonExportParameter(const CommonExportParameter& other);

    int getItemKind(int item) const override;
    juce::Array<int> getChoiceValues(int item) const override;
    juce::StringArray getChoiceTexts(int item) const override;
    juce::BigInteger getEnabledChoices(int item) const override;
    bool validateChoice(int item, int& index) override;
    bool acceptsText(int item, juce::String& text) override;
    void itemChanged(int item) override;
    juce::String getItemKey(int item) const override;
    // Only the recent folders: this program writes no temporary decode files
    // that a worker would need pointing at the folder.
    void saveExtraToRegistry() override;
    void loadExtraFromRegistry() override;

    const juce::StringArray& getRecentFolders() const { return m_recentFolders; }
    void setRecentFolders(const juce::StringArray& folders) { m_recentFolders = folders; }

    // The system's temporary folder.
    static juce::String getSystemTempFolder();

private:
    juce::StringArray m_recentFolders;
};
} // namespace Tavrel
