#include "session/parameters/CommonExportParameter.h"

#include "app/core/CBJXResource.h"
#include "app/core/CTVPreferences.h"
#include "session/parameters/RecentFolders.h"
#include "session/parameters/SongListAccess.h"

namespace Tavrel
{
namespace
{
const char* const kRecentName = "Export_Disc_TempDirectory";

struct Choice
{
    int value;
    const char* textKey;
};

// The choices of items 0 to 3 in display order. The DSD filter lists its
// values backwards: Off (2) first.
const std::vector<Choice>& Choices(int item)
{
    static const std::vector<Choice> none;
    static const std::vector<Choice> table[] = {
        {{0, "Export_Source_All"}, {1, "Export_Source_Selected"}},
        {{2, "Export_Filter_Off"}, {1, "Export_Filter_Soft"}, {0, "Export_Filter_Sharp"}},
        {{0, "Export_Normalize_Off"}, {1, "Export_Normalize_Each"}, {2, "Export_Normalize_All"}},
        {{0, "Export_Dither_None"}, {1, "Export_Dither_Tpdf"}, {2, "Export_Dither_NoiseShaping"}},
    };
    return item >= 0 && item < 4 ? table[item] : none;
}
} // namespace

CommonExportParameter::CommonExportParameter()
    : ExportParameter(kItemCount)
{
    for (int item = kSource; item <= kDitherType; ++item)
        selectChoiceByValue(item, 0);
    setItemText(getSystemTempFolder(), kTempDirectory);
}

CommonExportParameter::CommonExportParameter(const CommonExportParameter& other)
    : ExportParameter(other),
      m_recentFolders(other.m_recentFolders)
{
}

juce::String CommonExportParameter::getSystemTempFolder()
{
    return juce::File::getSpecialLocation(juce::File::tempDirectory).getFullPathName();
}

int CommonExportParameter::getItemKind(int item) const
{
    if (item >= kSource && item <= kDitherType)
        return kItemChoice;
    return item == kTempDirectory ? kItemText : kItemNone;
}

juce::Array<int> CommonExportParameter::getChoiceValues(int item) const
{
    juce::Array<int> values;
    for (const Choice& c : Choices(item))
        values.add(c.value);
    return values;
}

juce::StringArray CommonExportParameter::getChoiceTexts(int item) const
{
    juce::StringArray texts;
    for (const Choice& c : Choices(item))
        texts.add(CBJXResource::GetString(c.textKey));
    return texts;
}

juce::BigInteger CommonExportParameter::getEnabledChoices(int item) const
{
    juce::BigInteger enabled;
    const int count = static_cast<int>(Choices(item).size());
    if (count > 0)
        enabled.setRange(0, count, true);
    if (item == kSource)
    {
        const SongListAccess songs = SongListAccess::get();
        enabled.setBit(kSourceSelected, !songs.selection().isEmpty());
    }
    return enabled;
}

bool CommonExportParameter::validateChoice(int item, int& index)
{
    return takeLowestEnabled(getEnabledChoices(item), index);
}

bool CommonExportParameter::acceptsText(int item, juce::String& text)
{
    if (item != kTempDirectory)
        return false;
    juce::String folder = RecentFolders::existingFolder(text);
    if (folder.isEmpty())
        folder = RecentFolders::existingFolder(getItemText(kTempDirectory));
    if (folder.isEmpty())
        folder = getSystemTempFolder();
    text = folder;
    return true;
}

void CommonExportParameter::itemChanged(int)
{
}

juce::String CommonExportParameter::getItemKey(int item) const
{
    switch (item)
    {
    case kSource:
        return "Export_Common_Source";
    case kDsdFilter:
        return "Export_Common_DsdFilter";
    case kNormalizeMode:
        return "Export_Common_NormalizeMode";
    case kDitherType:
        return "Export_Common_DitherType";
    case kTempDirectory:
        return kRecentName;
    default:
        return {};
    }
}

void CommonExportParameter::saveExtraToRegistry()
{
    if (CHfcPreferences* preferences = getPreferences())
        RecentFolders::save(*preferences, kRecentName, m_recentFolders);
}

void CommonExportParameter::loadExtraFromRegistry()
{
    m_recentFolders.clear();
    if (const CHfcPreferences* preferences = getPreferences())
        m_recentFolders = RecentFolders::load(*preferences, kRecentName);
}
} // namespace Tavrel
