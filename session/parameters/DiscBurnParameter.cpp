#include "session/parameters/DiscBurnParameter.h"

#include <algorithm>
#include <mutex>

#include "app/core/CBJXResource.h"
#include "app/core/CTVPreferences.h"
#include "app/songlist/TrackInfo.h"
#include "disc/CAudioDiscBurnProxy.h"
#include "session/parameters/SongListAccess.h"

namespace Tavrel
{
namespace
{
const char* const kDriveNameKey = "Export_Drive_Name";
const char* const kHiddenCountKey = "Export_Num_Drives_Hides_Warnings";
const char* const kHiddenEntryKey = "Export_Drive_Hides_Warnings_";

constexpr DiscTypeCode kCdKinds[] = {2, 3};                    // CD-R, CD-RW
constexpr DiscTypeCode kDvdKinds[] = {5, 14, 7, 12, 13, 8};     // DVD-R, -R DL, -RW, +R, +R DL, +RW
constexpr double kCdSpeedFactors[] = {1, 2, 4, 6, 8, 10, 12, 16, 20, 24, 32, 40, 48, 56};
constexpr double kDvdSpeedFactors[] = {1, 2, 2.4, 3, 4, 5, 6, 8, 16};
constexpr int kGapChoices = 6;
// The drive-record flags that make a drive usable: CD-R and DVD-R writing.
constexpr int kCdrFlag = 2;
constexpr int kDvdrFlag = 4;

template <size_t N>
bool IsOneOf(const DiscTypeCode (&kinds)[N], DiscTypeCode kind)
{
    return std::find(std::begin(kinds), std::end(kinds), kind) != std::end(kinds);
}

// Drive inquiry strings come padded with blanks.
juce::String Trimmed(const std::string& text)
{
    return juce::String::fromUTF8(text.c_str()).trimEnd();
}

juce::String Text(const char* key)
{
    return CBJXResource::GetString(key);
}
} // namespace

DiscBurnParameter::DiscBurnParameter(CAudioDiscBurnProxy* proxy)
    : ExportParameter(kItemCount),
      m_proxy(proxy)
{
    selectChoiceByValue(kDiscFormat, 0);
    selectChoiceByValue(kDrive, 0);
    selectChoiceByValue(kWriteSpeed, 0);
    setItemText({}, kAlbumTitle);
    setItemText({}, kAlbumPerformer);
    selectChoiceByValue(kGap, 0);
    selectChoiceByValue(kEraseMode, 0);
}

DiscBurnParameter::DiscBurnParameter(const DiscBurnParameter& other)
    : ExportParameter(other),
      m_proxy(other.m_proxy),
      m_discFormats(other.m_discFormats),
      m_hiddenWarningDrives(other.m_hiddenWarningDrives)
{
}

CAudioDiscBurnBase* DiscBurnParameter::getBurner() const
{
    return m_proxy != nullptr ? m_proxy->GetBurner() : nullptr;
}

std::vector<DiscBurnParameter::Drive> DiscBurnParameter::readDrives() const
{
    std::vector<Drive> drives;
    CAudioDiscBurnBase* burner = getBurner();
    if (burner == nullptr)
        return drives;
    std::lock_guard<std::recursive_mutex> guard(burner->GetLock().m_section);
    const CDiscBurnImp* burnImp = burner->GetBurnImp();
    if (burnImp == nullptr)
        return drives;
    juce::StringArray texts;
    for (const DiscBurnDeviceRecord& record : burnImp->GetDevices())
    {
        Drive drive;
        drive.text = Trimmed(record.drive) + " " + Trimmed(record.vendor) + " " + Trimmed(record.product);
        if (texts.contains(drive.text))
        {
            int n = 2;
            while (texts.contains(drive.text + " (" + juce::String(n) + ")"))
                ++n;
            drive.text += " (" + juce::String(n) + ")";
        }
        texts.add(drive.text);
        drive.product = Trimmed(record.product);
        drive.enabled = record.mediaFlags[kCdrFlag] != 0 || record.mediaFlags[kDvdrFlag] != 0;
        drives.push_back(drive);
    }
    return drives;
}

juce::Array<int> DiscBurnParameter::speedValues() const
{
    juce::Array<int> values{0};
    const int format = getChoiceValue(kDiscFormat);
    if (CAudioDiscBurnBase* burner = getBurner())
    {
        std::lock_guard<std::recursive_mutex> guard(burner->GetLock().m_section);
        if (const CDiscBurnImp* burnImp = burner->GetBurnImp())
        {
            const DiscTypeCode kind = burnImp->GetDiscType();
            if ((format == 0 && IsOneOf(kCdKinds, kind)) || (format != 0 && IsOneOf(kDvdKinds, kind)))
            {
                for (uint32_t speed : burnImp->GetSpeeds())
                    values.add(static_cast<int>(speed));
                return values;
            }
        }
    }
    if (format == 0)
        for (double factor : kCdSpeedFactors)
            values.add(static_cast<int>(factor * kCdSpeedUnit + 0.5));
    else
        for (double factor : kDvdSpeedFactors)
            values.add(static_cast<int>(factor * kDvdSpeedUnit + 0.5));
    return values;
}

juce::String DiscBurnParameter::formatWriteSpeed(int kilobytesPerSecond, int discFormat)
{
    if (kilobytesPerSecond == 0)
        return Text("DiscBurn_MaxWriteSpeed");
    const int unit = discFormat == 0 ? kCdSpeedUnit : kDvdSpeedUnit;
    const int whole = kilobytesPerSecond / unit;
    const int tenth = kilobytesPerSecond * 10 / unit - whole * 10;
    if (tenth < 1 || whole > 9)
        return "x" + juce::String(whole);
    return "x" + juce::String(whole) + "." + juce::String(tenth);
}

int DiscBurnParameter::getItemKind(int item) const
{
    switch (item)
    {
    case kDiscFormat:
    case kDrive:
    case kWriteSpeed:
    case kGap:
    case kEraseMode:
        return kItemChoice;
    case kAlbumTitle:
    case kAlbumPerformer:
        return kItemText;
    default:
        return kItemNone;
    }
}

juce::Array<int> DiscBurnParameter::getChoiceValues(int item) const
{
    juce::Array<int> values;
    switch (item)
    {
    case kDiscFormat:
        for (int format : m_discFormats)
            values.add(format);
        break;
    case kDrive: {
        const int count = static_cast<int>(readDrives().size());
        for (int i = 0; i < count; ++i)
            values.add(i);
        break;
    }
    case kWriteSpeed:
        values = speedValues();
        break;
    case kGap:
        for (int i = 0; i < kGapChoices; ++i)
            values.add(i);
        break;
    case kEraseMode:
        values = {0, 1};
        break;
    default:
        break;
    }
    return values;
}

juce::StringArray DiscBurnParameter::getChoiceTexts(int item) const
{
    juce::StringArray texts;
    switch (item)
    {
    case kDiscFormat:
        for (size_t i = 0; i < m_discFormats.size(); ++i)
            texts.add(Text("DiscBurn_DiscFormat_AudioCD"));
        break;
    case kDrive:
        for (const Drive& drive : readDrives())
            texts.add(drive.text);
        break;
    case kWriteSpeed: {
        const int format = getChoiceValue(kDiscFormat);
        for (int speed : speedValues())
            texts.add(formatWriteSpeed(speed, format));
        break;
    }
    case kGap:
        texts.add(Text("DiscBurn_GapBetweenSongs_None"));
        for (int i = 1; i < kGapChoices; ++i)
            texts.add(juce::String(i) + " " + Text("Unit_Second"));
        break;
    case kEraseMode:
        texts = {Text("DiscErase_Quick"), Text("DiscErase_Full")};
        break;
    default:
        break;
    }
    return texts;
}

juce::BigInteger DiscBurnParameter::getEnabledChoices(int item) const
{
    juce::BigInteger enabled;
    if (item == kDrive)
    {
        const std::vector<Drive> drives = readDrives();
        for (size_t i = 0; i < drives.size(); ++i)
            enabled.setBit(static_cast<int>(i), drives[i].enabled);
        return enabled;
    }
    if (item == kGap && getDiscFormatIndex() != 0)
        return enabled;
    const int count = getChoiceValues(item).size();
    if (count > 0)
        enabled.setRange(0, count, true);
    return enabled;
}

bool DiscBurnParameter::validateChoice(int item, int& index)
{
    if (!takeLowestEnabled(getEnabledChoices(item), index))
        return false;
    if (item == kDrive)
    {
        if (CAudioDiscBurnBase* burner = getBurner())
        {
            std::lock_guard<std::recursive_mutex> guard(burner->GetLock().m_section);
            if (CDiscBurnImp* burnImp = burner->GetBurnImp())
                (void)burnImp->SelectDevice(index);
        }
    }
    return true;
}

bool DiscBurnParameter::acceptsText(int item, juce::String&)
{
    return item == kAlbumTitle || item == kAlbumPerformer;
}

void DiscBurnParameter::itemChanged(int item)
{
    if (item == kDiscFormat)
        updateBoundComponent(kWriteSpeed);
    else if (item == kWriteSpeed)
    {
        if (CAudioDiscBurnBase* burner = getBurner())
        {
            // The burner reads 0 as "none requested": the maximum has a
            // value of its own.
            const int speed = getChoiceValue(kWriteSpeed);
            burner->SetRequestedWriteSpeed(speed == 0 ? CAudioDiscBurnBase::kMaximumWriteSpeed
                                                      : static_cast<uint32_t>(speed));
        }
    }
}

juce::String DiscBurnParameter::getItemKey(int item) const
{
    switch (item)
    {
    case kDiscFormat:
        return "Export_Disc_Format";
    case kGap:
        return "Export_Disc_Gap";
    case kEraseMode:
        return "Export_Disc_EraseMode";
    default:
        return {};
    }
}

void DiscBurnParameter::saveExtraToRegistry()
{
    if (CHfcPreferences* preferences = getPreferences())
        preferences->SetString(kDriveNameKey, getItemText(kDrive));
}

void DiscBurnParameter::loadExtraFromRegistry()
{
    CHfcPreferences* preferences = getPreferences();
    if (preferences == nullptr)
        return;
    // A name no drive has any more selects nothing: the current drive stays.
    setItemText(preferences->GetString(kDriveNameKey, getItemText(kDrive)), kDrive);
    m_hiddenWarningDrives.clear();
    const int count = preferences->GetInt(kHiddenCountKey, 0);
    for (int i = 0; i < count; ++i)
    {
        const juce::String name = preferences->GetString(kHiddenEntryKey + juce::String(i), {});
        if (name.isNotEmpty() && !m_hiddenWarningDrives.contains(name))
            m_hiddenWarningDrives.add(name);
    }
}

int DiscBurnParameter::getStoredHiddenWarningDriveCount() const
{
    const CHfcPreferences* preferences = getPreferences();
    return preferences != nullptr ? preferences->GetInt(kHiddenCountKey, 0) : 0;
}

void DiscBurnParameter::hideWarningsForCurrentDrive()
{
    const std::vector<Drive> drives = readDrives();
    const int index = getDriveIndex();
    if (!juce::isPositiveAndBelow(index, static_cast<int>(drives.size())))
        return;
    const juce::String product = drives[static_cast<size_t>(index)].product;
    if (!m_hiddenWarningDrives.contains(product))
        m_hiddenWarningDrives.add(product);
    if (CHfcPreferences* preferences = getPreferences())
    {
        preferences->SetInt(kHiddenCountKey, m_hiddenWarningDrives.size());
        for (int i = 0; i < m_hiddenWarningDrives.size(); ++i)
            preferences->SetString(kHiddenEntryKey + juce::String(i), m_hiddenWarningDrives[i]);
    }
}

bool DiscBurnParameter::shouldShowDriveWarning()
{
    if (getDiscFormatIndex() != 0)
        return false;
    const std::vector<Drive> drives = readDrives();
    const int index = getDriveIndex();
    // No drive selected is no drive open: nothing known about its writing.
    if (index < 0)
        return true;
    if (juce::isPositiveAndBelow(index, static_cast<int>(drives.size())) &&
        m_hiddenWarningDrives.contains(drives[static_cast<size_t>(index)].product))
        return false;
    CAudioDiscBurnBase* burner = getBurner();
    if (burner == nullptr)
        return true;
    std::lock_guard<std::recursive_mutex> guard(burner->GetLock().m_section);
    CDiscBurnImp* burnImp = burner->GetBurnImp();
    return burnImp == nullptr || burnImp->CannotWriteRawPW();
}

void DiscBurnParameter::refreshDriveList()
{
    const juce::String before = getItemText(kDrive);
    if (CAudioDiscBurnBase* burner = getBurner())
    {
        std::lock_guard<std::recursive_mutex> guard(burner->GetLock().m_section);
        if (CDiscBurnImp* burnImp = burner->GetBurnImp())
            burnImp->RescanDevices();
    }
    updateBoundComponent(kDrive);
    // An index of the old list may name another drive of the new one: the
    // same drive by its text, else the choice re-validated.
    const int index = getChoiceTexts(kDrive).indexOf(before);
    setChoice(kDrive, index >= 0 ? index : getSelectedIndex(kDrive));
}

void DiscBurnParameter::takeAlbumTextsFromSongs(bool selectedOnly)
{
    const SongListAccess songs = SongListAccess::get();
    const juce::SparseSet<int> selection = songs.selection();
    juce::String album, artist;
    const int count = songs.count();
    for (int row = 0; row < count && (album.isEmpty() || artist.isEmpty()); ++row)
    {
        if (selectedOnly && !selection.contains(row))
            continue;
        const TrackInfo* track = songs.track(row);
        if (track == nullptr)
            continue;
        if (album.isEmpty())
            album = track->getTextField(TrackInfo::kAlbum);
        if (artist.isEmpty())
            artist = track->getTextField(TrackInfo::kArtist);
    }
    setItemText(album, kAlbumTitle);
    setItemText(artist, kAlbumPerformer);
}

float DiscBurnParameter::getGapSeconds() const
{
    return getDiscFormatIndex() == 0 ? static_cast<float>(getChoiceValue(kGap)) : 0.0f;
}
} // namespace Tavrel
