#include "session/export/DiscEraseSession.h"

#include <mutex>

#include "app/core/CBJXResource.h"
#include "app/core/WideText.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "disc/CAudioDiscBurnBase.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "session/export/DiscLocation.h"

namespace Tavrel
{
namespace
{
constexpr int kTickMs = 100;
using BurnerLock = std::lock_guard<std::recursive_mutex>;
} // namespace

DiscEraseSession::DiscEraseSession(CAudioDiscBurnBase* burner, const DiscBurnParameter& disc)
    : m_burner(burner),
      m_disc(disc)
{
}

DiscEraseSession::~DiscEraseSession()
{
    stopTimer();
}

const char* DiscEraseSession::checkDisc(juce::SparseSet<int>& songs, juce::StringArray& texts)
{
    songs.clear();
    texts.clear();
    if (m_burner == nullptr)
        return "DiscBurn_DiscNotFound";
    juce::String drivePath;
    {
        const BurnerLock guard(m_burner->GetLock().m_section);
        CDiscBurnImp* imp = m_burner->GetBurnImp();
        if (imp == nullptr)
            return "DiscBurn_DiscNotFound";
        (void)imp->RefreshDiscInfo();
        const DiscTypeCode type = imp->GetDiscType();
        if (type == -1 || type == -2)
            return "DiscBurn_DiscNotFound";
        if (!imp->IsDiscErasable())
            return "DiscErase_NotErasableDisc";
        drivePath = toJuceString(imp->GetDrivePath());
    }
    const DiscLocation disc(drivePath);
    if (CTVHost* host = CTVHost::GetStoredInstance(); host != nullptr && !disc.isEmpty())
    {
        for (int row = 0; row < host->GetTrackCount(); ++row)
        {
            std::vector<CPlaylistFile*> files;
            host->GetTrack(row)->getSourceFiles(files);
            for (const CPlaylistFile* f : files)
                if (disc.holds(toJuceString(f->GetPath())))
                    songs.addRange({row, row + 1});
        }
    }
    return songs.isEmpty() ? nullptr : "DiscErase_DiscRefferedBySongs";
}

bool DiscEraseSession::start()
{
    juce::SparseSet<int> songs;
    juce::StringArray texts;
    if (const char* key = checkDisc(songs, texts))
    {
        notifyError(key, songs, texts);
        return false;
    }
    notifyStarted();
    const int speed = m_disc.getWriteSpeed();
    m_burner->SetRequestedWriteSpeed(speed == 0 ? CAudioDiscBurnBase::kMaximumWriteSpeed
                                                : static_cast<uint32_t>(speed));
    {
        const BurnerLock guard(m_burner->GetLock().m_section);
        CDiscBurnImp* imp = m_burner->GetBurnImp();
        // A refused speed or erase starts nothing: the first tick ends the
        // session, and it has not succeeded.
        m_started = imp != nullptr && m_burner->ApplyWriteSpeed() == DiscResult::Ok &&
                    imp->StartErase(m_disc.getEraseMode() == 0) == DiscResult::Ok;
    }
    startTimer(kTickMs);
    return true;
}

void DiscEraseSession::timerCallback()
{
    CDiscBurnImp* imp = m_burner != nullptr ? m_burner->GetBurnImp() : nullptr;
    if (m_started && imp != nullptr && imp->IsBusy())
    {
        notifyProgress(imp->GetEraseProgress(), "DiscErase_Erase", {});
        return;
    }
    stopTimer();
    notifyFinished(false);
}

bool DiscEraseSession::hasSucceeded()
{
    const CDiscBurnImp* imp = m_burner != nullptr ? m_burner->GetBurnImp() : nullptr;
    return m_started && imp != nullptr && imp->GetLastResult() == 0;
}

juce::String DiscEraseSession::getFailureText()
{
    return CBJXResource::GetString("DiscErase_Failed");
}
} // namespace Tavrel
