#include "session/parameters/FileExportParameter.h"

#include <algorithm>

#include "app/core/CBJXResource.h"
#include "app/core/CTVPreferences.h"
#include "app/core/TextFormatting.h"
#include "engine/audiofile/io/AudioFileWriterFactory.h"
#include "engine/audiofile/media/CMp3FileWriteAcm.h"
#include "session/parameters/RecentFolders.h"

namespace Tavrel
{
namespace
{
const char* const kRecentName = "Export_File_OutputPath";

// Indexed by format code.
const char* const kWriterNames[FileExportParameter::kFormatCodeCount] = {
    "WAV", "BWF", "AIFF", "FLAC", "MP3", "WMA", "WMA-P", "WMA-L", "AAC", "ALAC", "DSDIFF", "DSF", "WSD"};
const char* const kDisplayNames[FileExportParameter::kFormatCodeCount] = {
    "WAV", "BWF", "AIFF", "FLAC", "MP3", "WMA", "WMA Professional", "WMA Lossless", "AAC", "ALAC", "DSDIFF", "DSF",
    "WSD"};

constexpr int kOfferedRates[] = {44100, 48000, 88200, 96000};
constexpr int kOfferedDepths[] = {16, 24};

bool Contains(const std::vector<uint32_t>& list, int value)
{
    return value >= 0 && std::find(list.begin(), list.end(), static_cast<uint32_t>(value)) != list.end();
}

juce::BigInteger AllOf(int count)
{
    juce::BigInteger enabled;
    if (count > 0)
        enabled.setRange(0, count, true);
    return enabled;
}
} // namespace

FileExportParameter::FileExportParameter()
    : ExportParameter(kItemCount)
{
    m_formats = {kFormatWav, kFormatAiff};
    if (IsMp3EncoderAvailable())
        m_formats.push_back(kFormatMp3);
    m_formats.push_back(kFormatWma);

    selectChoiceByValue(kFormat, kFormatWav);
    selectChoiceByValue(kFileType, 1);
    selectChoiceByValue(kSampleRate, 44100);
    selectChoiceByValue(kBitDepth, 16);
    setItemText(getDefaultDestination(), kDestination);
}

FileExportParameter::FileExportParameter(const FileExportParameter& other)
    : ExportParameter(other),
      m_formats(other.m_formats),
      m_recentFolders(other.m_recentFolders),
      m_storedBitRate(other.m_storedBitRate),
      m_bitRateText(other.m_bitRateText)
{
}

juce::String FileExportParameter::getWriterName(int formatCode)
{
    return juce::isPositiveAndBelow(formatCode, static_cast<int>(kFormatCodeCount)) ? kWriterNames[formatCode] : "";
}

juce::String FileExportParameter::getDisplayName(int formatCode)
{
    return juce::isPositiveAndBelow(formatCode, static_cast<int>(kFormatCodeCount)) ? kDisplayNames[formatCode] : "";
}

juce::String FileExportParameter::getDefaultDestination()
{
    // A fresh account may have no Music folder: the destination must exist.
    const juce::File music = juce::File::getSpecialLocation(juce::File::userMusicDirectory);
    if (music.isDirectory())
        return music.getFullPathName();
    return juce::File::getSpecialLocation(juce::File::userHomeDirectory).getFullPathName();
}

int FileExportParameter::getItemKind(int item) const
{
    if (item == kDestination)
        return kItemText;
    return item >= kFormat && item <= kBitRate ? kItemChoice : kItemNone;
}

juce::Array<int> FileExportParameter::getChoiceValues(int item) const
{
    juce::Array<int> values;
    switch (item)
    {
    case kFormat:
        for (int code : m_formats)
            values.add(code);
        break;
    case kFileType:
        values = {0, 1};
        break;
    case kSampleRate:
        for (int rate : kOfferedRates)
            values.add(rate);
        break;
    case kBitDepth:
        for (int depth : kOfferedDepths)
            values.add(depth);
        break;
    case kBitRate: {
        std::vector<uint32_t> rates;
        GetSupportedBitRates(getFormatName().toRawUTF8(), static_cast<uint16_t>(getChannelCount()),
                             static_cast<uint32_t>(getSampleRate()), rates);
        for (uint32_t rate : rates)
            values.add(static_cast<int>(rate));
        break;
    }
    default:
        break;
    }
    return values;
}

juce::StringArray FileExportParameter::getChoiceTexts(int item) const
{
    juce::StringArray texts;
    const juce::Array<int> values = getChoiceValues(item);
    for (int value : values)
    {
        switch (item)
        {
        case kFormat:
            texts.add(getDisplayName(value));
            break;
        case kFileType:
            texts.add(CBJXResource::GetString(value == 0 ? "Export_FileType_Mono" : "Export_FileType_Stereo"));
            break;
        case kSampleRate:
            texts.add(formatSampleRate(value, true));
            break;
        case kBitDepth:
            texts.add(juce::String(value) + " bit");
            break;
        case kBitRate:
            texts.add(juce::String((value + 500) / 1000) + " kbps");
            break;
        default:
            break;
        }
    }
    return texts;
}

juce::BigInteger FileExportParameter::getEnabledChoices(int item) const
{
    const juce::Array<int> values = getChoiceValues(item);
    const juce::String format = getFormatName();
    std::vector<uint32_t> supported;
    switch (item)
    {
    case kFileType:
        GetSupportedChannelCounts(format.toRawUTF8(), supported);
        break;
    case kSampleRate:
        GetSupportedSampleRates(format.toRawUTF8(), static_cast<uint16_t>(getChannelCount()), supported);
        break;
    case kBitDepth:
        GetSupportedBitDepths(format.toRawUTF8(), supported);
        break;
    default:
        return AllOf(values.size());
    }
    juce::BigInteger enabled;
    for (int i = 0; i < values.size(); ++i)
        // File types 0 and 1 stand for one and two channels.
        enabled.setBit(i, Contains(supported, item == kFileType ? values[i] + 1 : values[i]));
    return enabled;
}

bool FileExportParameter::validateChoice(int item, int& index)
{
    const juce::BigInteger enabled = getEnabledChoices(item);
    const bool isEnabled = index >= 0 && enabled[index];
    if (!isEnabled && item == kFileType && index != 1)
    {
        index = 1;
        return true;
    }
    if (!isEnabled && item == kBitRate)
    {
        const juce::Array<int> values = getChoiceValues(item);
        for (int i = 0; i < values.size(); ++i)
        {
            if ((values[i] + 500) / 1000 == 128)
            {
                index = i;
                return true;
            }
        }
    }
    return takeLowestEnabled(enabled, index);
}

bool FileExportParameter::acceptsText(int item, juce::String& text)
{
    if (item != kDestination)
        return false;
    juce::String folder = RecentFolders::existingFolder(text);
    if (folder.isEmpty())
        folder = RecentFolders::existingFolder(getItemText(kDestination));
    if (folder.isEmpty())
        folder = getDefaultDestination();
    text = folder;
    return true;
}

void FileExportParameter::itemChanged(int item)
{
    switch (item)
    {
    case kFormat:
        updateBoundEnabledChoices(kFileType);
        setChoice(kFileType, getSelectedIndex(kFileType));
        break;
    case kFileType:
        updateBoundEnabledChoices(kSampleRate);
        setChoice(kSampleRate, getSelectedIndex(kSampleRate));
        break;
    case kSampleRate: {
        if (!offersBitRates())
        {
            updateBoundEnabledChoices(kBitDepth);
            setChoice(kBitDepth, getSelectedIndex(kBitDepth));
        }
        // Taken before the refill: a bound box re-validates its item when
        // its old text is gone, which changes the stored rate.
        const juce::String shownText = m_bitRateText;
        const int storedBitRate = m_storedBitRate;
        updateBoundComponent(kBitRate);
        reselectBitRate(shownText, storedBitRate);
        break;
    }
    case kBitRate:
        m_storedBitRate = getChoiceValue(kBitRate);
        m_bitRateText = getItemText(kBitRate);
        break;
    default:
        break;
    }
}

// The re-selection is the set's own, so a set without a bound bit-rate box
// (loaded before binding, a session's copy) ends at the same rate as one
// with a box: never at an index that names another rate of the new list.
void FileExportParameter::reselectBitRate(const juce::String& shownText, int storedBitRate)
{
    const juce::Array<int> values = getChoiceValues(kBitRate);
    if (values.isEmpty())
    {
        m_bitRateText.clear();
        return;
    }
    int index = shownText.isNotEmpty() ? getChoiceTexts(kBitRate).indexOf(shownText) : -1;
    if (index < 0)
    {
        index = values.size() - 1;
        for (int i = 0; i < values.size(); ++i)
        {
            if (values[i] >= storedBitRate)
            {
                index = i;
                break;
            }
        }
    }
    setChoice(kBitRate, index);
}

juce::String FileExportParameter::getItemKey(int item) const
{
    switch (item)
    {
    case kDestination:
        return kRecentName;
    case kFormat:
        return "Export_File_Format";
    case kFileType:
        return "Export_File_Type";
    case kSampleRate:
        return "Export_File_SampleRate";
    case kBitDepth:
        return "Export_File_BitDepth";
    case kBitRate:
        return "Export_File_QualityOption";
    default:
        return {};
    }
}

void FileExportParameter::saveExtraToRegistry()
{
    if (CHfcPreferences* preferences = getPreferences())
        RecentFolders::save(*preferences, kRecentName, m_recentFolders);
}

void FileExportParameter::loadExtraFromRegistry()
{
    m_recentFolders.clear();
    if (const CHfcPreferences* preferences = getPreferences())
        m_recentFolders = RecentFolders::load(*preferences, kRecentName);
}

juce::String FileExportParameter::getFormatName() const
{
    const juce::Array<int> values = getChoiceValues(kFormat);
    const int index = getSelectedIndex(kFormat);
    return juce::isPositiveAndBelow(index, values.size()) ? getWriterName(values[index]) : juce::String();
}

int FileExportParameter::getChannelCount() const
{
    return getSelectedIndex(kFileType) == 0 ? 1 : 2;
}

int FileExportParameter::getSampleRate() const
{
    const int index = getSelectedIndex(kSampleRate);
    return juce::isPositiveAndBelow(index, static_cast<int>(std::size(kOfferedRates))) ? kOfferedRates[index] : 0;
}

bool FileExportParameter::offersBitRates() const
{
    return !getChoiceValues(kBitRate).isEmpty();
}

int FileExportParameter::getBitDepth() const
{
    if (!offersBitRates())
        return getChoiceValue(kBitDepth);
    const juce::Array<int> values = getChoiceValues(kBitDepth);
    const int highest = getEnabledChoices(kBitDepth).getHighestBit();
    return juce::isPositiveAndBelow(highest, values.size()) ? values[highest] : 0;
}

int FileExportParameter::getBitRate() const
{
    return offersBitRates() ? getChoiceValue(kBitRate) : 0;
}
} // namespace Tavrel
