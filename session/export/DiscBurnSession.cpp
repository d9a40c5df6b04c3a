#include "session/export/DiscBurnSession.h"

#include <algorithm>
#include <ctime>
#include <mutex>

#include "app/core/CBJXResource.h"
#include "app/core/TextFormatting.h"
#include "app/core/WideText.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "disc/CAudioDiscBurnProxy.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "platform/files/FileSafety.h"
#include "platform/thread/ThreadName.h"
#include "session/export/CTVConverterThread.h"
#include "session/export/DiscLocation.h"

namespace Tavrel
{
namespace
{
constexpr int kPollMs = 200;
constexpr int kMaxTracks = 99;
constexpr uint64_t kSpareBytes = 10000000;
constexpr uint64_t kHeaderBytes = 2048;
constexpr uint64_t kFourGiB = 4294967296ull;
constexpr double kMinTrackSeconds = 4.0;
constexpr const char* kImagePrefix = "TavrelDiscImage_";

using BurnerLock = std::lock_guard<std::recursive_mutex>;

// The drive-record flag that says whether a drive writes a disc type; -1 for
// a type no drive writes.
int MediaFlagOf(DiscTypeCode type)
{
    switch (type)
    {
    case 2: return 2;   // CD-R
    case 3: return 3;   // CD-RW
    case 5: return 4;   // DVD-R
    case 7: return 5;   // DVD-RW
    case 14: return 6;  // DVD-R DL
    case 6: return 8;   // DVD-RAM
    case 12: return 9;  // DVD+R
    case 8: return 10;  // DVD+RW
    case 13: return 11; // DVD+R DL
    default: return -1;
    }
}

bool NoDisc(DiscTypeCode type)
{
    return type == -1 || type == -2;
}
} // namespace

DiscBurnSession::DiscBurnSession(CAudioDiscBurnProxy* proxy, const DiscBurnParameter& disc,
                                 const CommonExportParameter& common)
    : OutputExportSessionBase(common),
      juce::Thread("DiscBurnSessionThread"),
      m_proxy(proxy),
      m_disc(disc)
{
}

DiscBurnSession::~DiscBurnSession()
{
    stopSessionThread(*this);
}

CAudioDiscBurnBase* DiscBurnSession::getBurner() const
{
    return m_proxy != nullptr ? m_proxy->GetBurner() : nullptr;
}

unsigned DiscBurnSession::getOutputSampleRate()
{
    return m_disc.getDiscFormatIndex() == 0 ? 44100u : 0u;
}

bool DiscBurnSession::hasSucceeded()
{
    CAudioDiscBurnBase* burner = getBurner();
    if (!m_writeStarted.load() || burner == nullptr)
        return false;
    const CDiscBurnImp* imp = burner->GetBurnImp();
    return imp != nullptr && imp->GetLastResult() == 0;
}

juce::String DiscBurnSession::getFailureText()
{
    // The drive layer reports no text of its own.
    return CBJXResource::GetString("DiscBurn_Failed");
}

void DiscBurnSession::cancelHook()
{
    m_cancelRequest.store(true);
    // The drive layer's cancel is an atomic flag: safe without the lock.
    if (CAudioDiscBurnBase* burner = getBurner())
        if (CDiscBurnImp* imp = burner->GetBurnImp())
            imp->Cancel();
    notify();
}

juce::Array<juce::File> DiscBurnSession::findLeftoverDiscImages(const juce::File& temporaryFolder)
{
    juce::Array<juce::File> found;
    for (const juce::File& child : temporaryFolder.findChildFiles(juce::File::findDirectories, false, "*"))
    {
        const juce::String name = child.getFileName();
        if (child.isSymbolicLink() || !name.startsWith(kImagePrefix))
            continue;
        const juce::String stamp = name.substring(juce::String(kImagePrefix).length());
        if (stamp.length() == 14 && stamp.containsOnly("0123456789"))
            found.add(child);
    }
    return found;
}

bool DiscBurnSession::start()
{
    CAudioDiscBurnBase* burner = getBurner();
    // 1. The drive's record; an index outside the list leaves it zeroed.
    const int driveIndex = m_disc.getDriveIndex();
    juce::String drivePath;
    bool driveKnown = false;
    if (burner != nullptr)
    {
        const BurnerLock guard(burner->GetLock().m_section);
        if (const CDiscBurnImp* imp = burner->GetBurnImp())
        {
            const std::vector<DiscBurnDeviceRecord>& devices = imp->GetDevices();
            if (driveIndex >= 0 && static_cast<size_t>(driveIndex) < devices.size())
            {
                m_drive = devices[static_cast<size_t>(driveIndex)];
                driveKnown = true;
            }
        }
    }
    // 2. The burner is the audio CD's.
    if (m_proxy != nullptr)
    {
        const BurnerLock guard(m_proxy->GetLock().m_section);
        m_proxy->SetRequestedDiscKind(CAudioDiscBurnProxy::kDiscKindAudioCD);
        if (m_proxy->GetCurrentDiscKind() != CAudioDiscBurnProxy::kDiscKindAudioCD)
            m_proxy->SetRecreate(true);
    }
    // 3. The drive opens.
    bool opened = false;
    burner = getBurner();
    if (driveKnown && burner != nullptr)
    {
        const BurnerLock guard(burner->GetLock().m_section);
        if (CDiscBurnImp* imp = burner->GetBurnImp())
        {
            opened = imp->SelectDevice(driveIndex) == DiscResult::Ok;
            drivePath = toJuceString(imp->GetDrivePath());
        }
    }
    if (!opened)
    {
        notifyError("DiscBurn_CannotOpenDrive", {}, {});
        return false;
    }

    // 4., 5. The songs.
    if (!gatherSongs("DiscBurn_FileNotFound", "DiscBurn_NoSongToExport"))
        return false;
    if (m_songs.size() > kMaxTracks)
    {
        notifyError("DiscBurn_TooManyTracks", {}, {});
        return false;
    }
    CTVHost* host = CTVHost::GetStoredInstance();
    if (host == nullptr)
        return false;

    // 6. Songs read from the disc in the drive.
    m_songsOnDisc = false;
    const DiscLocation disc(drivePath);
    juce::SparseSet<int> onDisc;
    for (int i = 0; i < m_songs.size() && !disc.isEmpty(); ++i)
    {
        std::vector<CPlaylistFile*> files;
        host->GetTrack(m_songs[i])->getSourceFiles(files);
        for (const CPlaylistFile* f : files)
            if (disc.holds(toJuceString(f->GetPath())))
                onDisc.addRange({m_songs[i], m_songs[i] + 1});
    }
    if (!onDisc.isEmpty())
    {
        m_songsOnDisc = true;
        if (!notifyWarning("DiscBurn_NeedToReplaceDisc", onDisc, {}))
            return false;
    }

    // 7. The temporary folder.
    const juce::String tempText = getCommon().getItemText(CommonExportParameter::kTempDirectory);
    const juce::File tempFolder = juce::File::isAbsolutePath(tempText) ? juce::File(tempText) : juce::File();
    if (tempFolder == juce::File() || !tempFolder.isDirectory())
    {
        notifyError("DiscBurn_CannotCreateTempDir", {}, {});
        return false;
    }

    // 8. Sizes.
    juce::SparseSet<int> shortSongs, overSize;
    m_requiredSize = 0;
    for (int i = 0; i < m_songs.size(); ++i)
    {
        const double seconds = host->GetTrack(m_songs[i])->getLengthInSeconds();
        const uint64_t bytes = static_cast<uint64_t>(seconds * 44100.0) * 4 + kHeaderBytes;
        if (seconds < kMinTrackSeconds)
            shortSongs.addRange({m_songs[i], m_songs[i] + 1});
        if (bytes > kFourGiB)
            overSize.addRange({m_songs[i], m_songs[i] + 1});
        m_requiredSize += bytes;
    }
    const int64_t free = freeSpaceOf(tempFolder);
    if (free < 0 || static_cast<uint64_t>(free) < m_requiredSize + kSpareBytes)
    {
        notifyError("DiscBurn_DiskFull", {}, {formatByteSize(true, m_requiredSize + kSpareBytes)});
        return false;
    }
    if (!overSize.isEmpty())
    {
        notifyError("DiscBurn_Over4GB", overSize, {});
        return false;
    }
    if (!shortSongs.isEmpty() && m_disc.getDiscFormatIndex() == 0 &&
        !notifyWarning("DiscBurn_SilenceAppended", shortSongs, {}))
        return false;

    // 9. The disc image folder, private to this user; a taken name is never
    // reused (the counter goes on), so nothing races another program in a
    // shared temporary folder.
    char stamp[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof(stamp), "%Y%m%d%H%M%S", &local);
    const juce::String timed = juce::String(kImagePrefix) + juce::String(stamp);
    bool created = false;
    for (int n = -1; n < 1000 && !created; ++n)
    {
        const juce::File folder = tempFolder.getChildFile(n < 0 ? timed : timed + "_" + juce::String(n));
        const auto result = qm::platform::createPrivateFolder(folder.getFullPathName().toStdString());
        if (result == qm::platform::CreateFolderResult::Created)
        {
            m_imageFolder = folder;
            created = true;
        }
        else if (result == qm::platform::CreateFolderResult::Failed)
            break;
    }
    bool prepared = false;
    if (created)
    {
        const BurnerLock guard(burner->GetLock().m_section);
        prepared = burner->SetTempDirectory(toEngineText(m_imageFolder.getFullPathName() + "/")) == DiscResult::Ok &&
                   burner->BeginTracks(toEngineText(m_disc.getAlbumTitle()), toEngineText(m_disc.getAlbumPerformer()),
                                       getOutputSampleRate(), static_cast<uint32_t>(m_disc.getDiscFormatIndex()),
                                       0) == DiscResult::Ok;
    }
    if (!prepared)
    {
        removeImageFolder();
        notifyError("DiscBurn_CannotCreateTempDir", {}, {});
        return false;
    }

    // 10. The speed, the converter, and off it goes.
    const int speed = m_disc.getWriteSpeed();
    burner->SetRequestedWriteSpeed(speed == 0 ? CAudioDiscBurnBase::kMaximumWriteSpeed : static_cast<uint32_t>(speed));
    ConverterSettings settings;
    settings.songs = m_songs;
    settings.sampleRate = getOutputSampleRate();
    settings.gap = m_disc.getGapSeconds();
    settings.burner = burner;
    settings.ditherType = getCommon().getChoiceValue(CommonExportParameter::kDitherType);
    settings.dsdFilter = getCommon().getChoiceValue(CommonExportParameter::kDsdFilter);
    auto converter = std::make_unique<CTVConverterThread>(settings);
    converter->setFinishedCallback([this] { notify(); });
    setConverterThread(std::move(converter));
    m_cancelRequest.store(false);
    notifyStarted();
    startThread();
    return true;
}

const char* DiscBurnSession::checkDisc()
{
    m_lastTexts.clear();
    CAudioDiscBurnBase* burner = getBurner();
    if (burner == nullptr)
        return "DiscBurn_DiscNotFound";
    const BurnerLock guard(burner->GetLock().m_section);
    CDiscBurnImp* imp = burner->GetBurnImp();
    if (imp == nullptr)
        return "DiscBurn_DiscNotFound";
    (void)imp->RefreshDiscInfo();
    const DiscTypeCode type = imp->GetDiscType();
    if (NoDisc(type))
        return "DiscBurn_DiscNotFound";
    if (!imp->IsDiscBlank())
        return imp->IsDiscErasable() ? "DiscBurn_UsedErasableDisc" : "DiscBurn_UsedDisc";
    const std::vector<DiscTypeCode>& accepted = burner->GetAcceptedDiscTypes();
    if (std::find(accepted.begin(), accepted.end(), type) != accepted.end())
    {
        const int flag = MediaFlagOf(type);
        if (flag < 0 || m_drive.mediaFlags[flag] == 0)
            return "DiscBurn_DriveCannotBurnThisTypeOfDisc";
        if (m_requiredSize < burner->GetDiscFreeSpace())
            return nullptr;
        m_lastTexts.add(formatByteSize(true, m_requiredSize));
        return "DiscBurn_OverDiscSize";
    }
    return m_disc.getDiscFormatIndex() == 0 ? "DiscBurn_UnsuitableForAudioCD" : "DiscBurn_UnsuitableForDSDDisc";
}

bool DiscBurnSession::discPresent()
{
    CAudioDiscBurnBase* burner = getBurner();
    if (burner == nullptr)
        return false;
    const BurnerLock guard(burner->GetLock().m_section);
    const CDiscBurnImp* imp = burner->GetBurnImp();
    return imp != nullptr && !NoDisc(imp->GetDiscType());
}

void DiscBurnSession::eject()
{
    CAudioDiscBurnBase* burner = getBurner();
    if (burner == nullptr)
        return;
    const BurnerLock guard(burner->GetLock().m_section);
    if (CDiscBurnImp* imp = burner->GetBurnImp())
        imp->Eject();
}

bool DiscBurnSession::waitForBlankDisc()
{
    juce::String lastShown;
    for (;;)
    {
        if (isCancelled() || threadShouldExit())
            return false;
        const char* key = checkDisc();
        if (key == nullptr)
            return true;
        if (lastShown != key)
        {
            const bool empty = juce::String(key) == "DiscBurn_DiscNotFound";
            // No event is raised under the burner's lock: checkDisc let go.
            notifyProgress(0.0, empty ? "DiscBurn_WaitForBlankDisc" : key, m_lastTexts);
            lastShown = key;
            // A rejected disc goes out; its message stays until another
            // disc has been examined.
            if (!empty && discPresent())
            {
                eject();
                lastShown = "DiscBurn_DiscNotFound";
            }
        }
        wait(kPollMs);
    }
}

bool DiscBurnSession::createImage()
{
    // A track file that could not be written fails its song too.
    juce::SparseSet<int> failed, writeFailed;
    driveConverter(*this, "DiscBurn_CreateTemp", failed, writeFailed);
    for (int i = 0; i < writeFailed.size(); ++i)
        failed.addRange({writeFailed[i], writeFailed[i] + 1});
    if (!failed.isEmpty())
    {
        notifyError("DiscBurn_CannotCreateTempFile", failed, {});
        return false;
    }
    return !isCancelled();
}

void DiscBurnSession::writeDisc()
{
    m_writeStarted.store(false);
    CAudioDiscBurnBase* burner = getBurner();
    if (burner == nullptr)
        return;
    // A refused start (no blank disc of the right type, no write mode, a
    // failed track file) is a failed write, not a wait for ever.
    if (burner->StartBurn() != DiscResult::Ok)
        return;
    m_writeStarted.store(true);
    CDiscBurnImp* imp = burner->GetBurnImp();
    // The polling of a running write goes without the burner's lock.
    while (imp != nullptr && imp->IsBusy())
    {
        const char* key = nullptr;
        switch (imp->GetState())
        {
        case 1: key = "DiscBurn_OpenSession"; break;
        case 2: key = "DiscBurn_WriteTracks"; break;
        case 3: key = "DiscBurn_CloseSession"; break;
        case 4: key = "DiscBurn_Verify"; break;
        default: break;
        }
        if (isCancelled())
            key = "DiscBurn_Cancelling";
        if (m_cancelRequest.exchange(false))
            imp->Cancel();
        notifyProgress(imp->GetProgress(), key, {});
        wait(kPollMs);
    }
    if (discPresent())
        eject();
}

void DiscBurnSession::removeImageFolder()
{
    if (m_imageFolder != juce::File())
        m_imageFolder.deleteRecursively();
    m_imageFolder = juce::File();
}

void DiscBurnSession::run()
{
    qm::platform::setCurrentThreadName(getThreadName().toStdString());
    bool aborted = false;
    if (!m_songsOnDisc && !waitForBlankDisc())
        aborted = true;
    else if (!runNormalizePass(this))
        aborted = true;
    else
    {
        notifyProcessingStarted();
        if (!createImage())
            aborted = true;
        else
        {
            {
                const juce::MessageManagerLock lock(this);
                if (lock.lockWasGained())
                    if (CTVHost* host = CTVHost::GetStoredInstance())
                        host->SetCurrentTrack(host->GetCurrentIndexForMode(CTVHost::kPlayerMode), true, false);
            }
            if (m_songsOnDisc)
                eject();
            for (;;)
            {
                if (!waitForBlankDisc())
                {
                    aborted = true;
                    break;
                }
                writeDisc();
                if (isCancelled())
                {
                    aborted = true;
                    break;
                }
                if (!notifyAskRepeat())
                    break;
            }
        }
    }
    // The end, on every path: the converter goes first (it may still hold
    // the track files), then the track files, the drive and the folder.
    takeConverterThread().reset();
    if (CAudioDiscBurnBase* burner = getBurner())
    {
        const BurnerLock guard(burner->GetLock().m_section);
        burner->ClearTempFiles();
        if (CDiscBurnImp* imp = burner->GetBurnImp())
            imp->CloseDevice();
    }
    removeImageFolder();
    notifyFinished(aborted || isCancelled());
    markRunEnded();
}
} // namespace Tavrel
