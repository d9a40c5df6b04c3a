#include "app/devices/CdDriveList.h"

#include <mutex>
#include <string>

#include "app/core/WideText.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "platform/cd/CdDriveRegistry.h"

namespace Tavrel
{
namespace
{
std::mutex& listLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<CdDriveList::Entry>& list()
{
    static std::vector<CdDriveList::Entry> entries;
    return entries;
}

uint32_t readDiscId(const std::string& driveName)
{
    const std::u16string wide = toEngineText(juce::String::fromUTF8(driveName.c_str(), int(driveName.size())));
    // The identifier comes from the table of contents; CD-TEXT is not needed.
    CAudioCDRead reader(false);
    if (reader.Open(wide.c_str()) != ReaderOpenResult::Ok)
        return 0;
    return static_cast<uint32_t>(reader.GetDiscId());
}
} // namespace

bool CdDriveList::rebuild()
{
    clear();
    // The drives are opened outside the lock: a real drive may take a while to
    // answer, and readers of the list should not wait for that.
    std::vector<Entry> entries;
    for (const std::string& name : qm::platform::CdDriveRegistry::Instance().GetDriveNames())
        entries.push_back({juce::String::fromUTF8(name.c_str(), int(name.size())), readDiscId(name)});
    const bool any = !entries.empty();
    std::lock_guard<std::mutex> guard(listLock());
    list() = std::move(entries);
    return any;
}

void CdDriveList::clear()
{
    std::lock_guard<std::mutex> guard(listLock());
    list().clear();
}

std::vector<CdDriveList::Entry> CdDriveList::getEntries()
{
    std::lock_guard<std::mutex> guard(listLock());
    return list();
}

bool CdDriveList::findDriveForDisc(uint32_t discId, juce::String& driveName)
{
    if (discId == 0)
        return false;
    std::lock_guard<std::mutex> guard(listLock());
    for (const Entry& entry : list())
    {
        if (entry.discId == discId)
        {
            driveName = entry.driveName;
            return true;
        }
    }
    return false;
}

bool CdDriveList::holdsDisc(const juce::String& driveName, uint32_t discId)
{
    if (discId == 0)
        return false;
    std::lock_guard<std::mutex> guard(listLock());
    for (const Entry& entry : list())
        if (entry.discId == discId && entry.driveName == driveName)
            return true;
    return false;
}
} // namespace Tavrel
