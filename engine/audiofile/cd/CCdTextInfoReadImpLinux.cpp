#include "engine/audiofile/cd/CCdTextInfoReadImpLinux.h"

#include <algorithm>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "engine/audiofile/foundation/EngineText.h"
#include "platform/cd/CdDriveRegistry.h"

CCdTextInfoReadImpLinux::~CCdTextInfoReadImpLinux()
{
    Close();
}

CdTextOpenResult CCdTextInfoReadImpLinux::Open(const char16_t* drive)
{
    Close();
    if (drive == nullptr || drive[0] == 0)
        return CdTextOpenResult::NoCdText;
    std::string name;
    if (!CBinaryFile64::PathToUtf8(drive, name))
        return CdTextOpenResult::NoCdText;
    auto device = qm::platform::CdDriveRegistry::Instance().OpenDrive(name);
    if (device == nullptr || !device->IsMediaPresent())
        return CdTextOpenResult::NoCdText;
    qm::platform::CdToc toc;
    if (!device->ReadToc(toc))
        return CdTextOpenResult::NoCdText;
    const std::vector<uint8_t> packs = device->ReadCdTextPacks();
    if (packs.empty())
        return CdTextOpenResult::NoCdText;
    m_packs.Assign(packs.data(), packs.size(), toc.tracks.back().number);
    return CdTextOpenResult::Ok;
}

void CCdTextInfoReadImpLinux::Close()
{
    m_packs.Clear();
}

int CCdTextInfoReadImpLinux::GetText(uint8_t type, char16_t* dst, int capacity, int block, int track)
{
    if (dst == nullptr || capacity <= 0)
        return 0;
    std::fill_n(dst, capacity, char16_t{0});
    if (m_packs.IsEmpty())
        return 0;
    const std::u16string text = m_packs.GetText(type, block, track);
    return int(CopyTrimmedWide(dst, uint32_t(capacity), text.c_str(), uint32_t(text.size())));
}

int CCdTextInfoReadImpLinux::GetTitle(char16_t* dst, int capacity, int block, int track)
{
    return GetText(CCdTextPacks::kTitle, dst, capacity, block, track);
}

int CCdTextInfoReadImpLinux::GetPerformer(char16_t* dst, int capacity, int block, int track)
{
    return GetText(CCdTextPacks::kPerformer, dst, capacity, block, track);
}

int CCdTextInfoReadImpLinux::GetLanguage(int block)
{
    return m_packs.GetLanguage(block);
}
