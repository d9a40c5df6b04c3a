#include "session/parameters/SongListAccess.h"

#include "app/host/CTVHost.h"

namespace Tavrel
{
namespace
{
SongListAccess g_installed;

SongListAccess ControllerAccess()
{
    SongListAccess access;
    access.count = [] {
        const CTVHost* host = CTVHost::GetStoredInstance();
        return host != nullptr ? host->GetTrackCount() : 0;
    };
    access.track = [](int row) -> const TrackInfo* {
        const CTVHost* host = CTVHost::GetStoredInstance();
        return host != nullptr ? host->GetTrack(row) : nullptr;
    };
    access.selection = [] {
        const CTVHost* host = CTVHost::GetStoredInstance();
        return host != nullptr ? host->GetSelection() : juce::SparseSet<int>();
    };
    return access;
}
} // namespace

SongListAccess SongListAccess::get()
{
    if (g_installed.count && g_installed.track && g_installed.selection)
        return g_installed;
    return ControllerAccess();
}

void SongListAccess::install(SongListAccess access)
{
    g_installed = std::move(access);
}
} // namespace Tavrel
