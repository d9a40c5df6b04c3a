#include "disc/DiscOpenManager.h"

#include <memory>
#include <vector>

#include "engine/audiofile/cd/CAudioCDRead.h"
#include "engine/audiofile/foundation/FullWidthToHalfWidth.h"
#include "engine/audiofile/tags/CAudioMetaData.h"
#include "platform/cd/CdDriveRegistry.h"

namespace
{
std::u16string ToUtf16(const juce::String& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.toUTF16().getAddress()));
}

juce::String FromUtf16(const std::u16string& text)
{
    return juce::String(
        juce::CharPointer_UTF16(reinterpret_cast<const juce::CharPointer_UTF16::CharType*>(text.c_str())));
}

// Full-width ASCII forms in a title shown in a table read better folded.
juce::String FoldTitle(const juce::String& title)
{
    std::u16string text = ToUtf16(title);
    std::vector<char16_t> folded(text.size() + 1, 0);
    const uint32_t length = ConvertFullWidthToHalfWidth(text.c_str(), folded.data(), false);
    return FromUtf16(std::u16string(folded.data(), length));
}
} // namespace

DiscOpenManager::DiscOpenManager(const juce::String& fallbackTitle)
    : m_fallbackTitle(fallbackTitle)
{
}

DiscOpenManager::~DiscOpenManager() = default;

void DiscOpenManager::scanDrives(juce::OwnedArray<DiscInfo>& list)
{
    list.clear();
    for (const auto& name : qm::platform::CdDriveRegistry::Instance().GetDriveNames())
        readDiscInfo(juce::String::fromUTF8(name.c_str(), int(name.size())), list);
}

bool DiscOpenManager::readDiscInfo(const juce::String& drive, juce::OwnedArray<DiscInfo>& list)
{
    if (drive.isEmpty())
        return false;
    CAudioCDRead reader(true);
    // Fails for a name that is no drive, an empty drive and a disc without
    // an audio track.
    if (reader.Open(ToUtf16(drive).c_str()) != ReaderOpenResult::Ok || reader.GetTrackCount() < 1)
        return false;

    auto info = std::make_unique<DiscInfo>();
    info->discTypeKey = kAudioCdTypeKey;
    info->drive = drive;
    const CMultiString* album = reader.GetMetaData()->GetField(CAudioMetaData::kAlbum);
    juce::String title = album != nullptr ? FromUtf16(album->GetWide()) : juce::String();
    if (title.isEmpty())
        title = m_fallbackTitle;
    info->title = FoldTitle(title);
    info->trackCount = reader.GetTrackCount();
    info->lengthSeconds = reader.GetLengthInSeconds();
    info->drives.add(drive);
    for (int index = 0; index < info->trackCount; ++index)
        info->trackPaths.add(drive + "/Track" + juce::String(reader.GetTrackNumber(index)).paddedLeft('0', 2) + ".cda");
    reader.Close();
    list.add(info.release());
    return true;
}
