#include "disc/CDiscBurnImpWin.h"

#include <algorithm>
#include <limits>

#include "engine/audiofile/foundation/Utf8ToWide.h"
#include "platform/burn/DiscRecorderRegistry.h"

namespace
{
constexpr int kWorkerPriority = 5;
constexpr uint32_t kAudioSectorBytes = 2352;
constexpr uint32_t kDataSectorBytes = 2048;

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::u16string WideFromUtf8(const std::string& text)
{
    std::vector<char16_t> buffer(text.size() + 1);
    const uint32_t units = Utf8ToWide(buffer.data(), uint32_t(buffer.size()), text.data(), uint32_t(text.size()));
    return std::u16string(buffer.data(), units);
}

void CopyText(std::string& target, const std::string& source)
{
    // The record's texts hold at most 1023 bytes each.
    target = source.substr(0, 1023);
}
} // namespace

CDiscBurnImpWin::CDiscBurnImpWin(qm::platform::DiscRecorderSystem* system)
    : m_system(system != nullptr ? system : &qm::platform::DiscRecorderRegistry::Instance())
{
    if (m_system->Start())
    {
        m_libraryStarted = true;
        ScanDevices();
    }
}

CDiscBurnImpWin::~CDiscBurnImpWin()
{
    // The drive is closed only once no job uses it any more.
    StopWorker();
    if (m_libraryStarted)
    {
        CloseDevice();
        m_system->Shutdown();
    }
}

void CDiscBurnImpWin::StopWorker()
{
    m_cancel.store(true);
    StopAndJoin();
}

void CDiscBurnImpWin::ScanDevices()
{
    m_devices.clear();
    if (!m_libraryStarted)
        return;
    for (const auto& info : m_system->ScanRecorders())
    {
        DiscBurnDeviceRecord record;
        record.drive = info.name;
        CopyText(record.vendor, info.vendor);
        CopyText(record.product, info.product);
        CopyText(record.revision, info.revision);
        static_assert(int(DiscBurnDeviceRecord::kMediaFlagCount) ==
                      int(qm::platform::DiscRecorderInfo::kMediaFlagCount));
        for (int i = 0; i < DiscBurnDeviceRecord::kMediaFlagCount; ++i)
            record.mediaFlags[i] = info.mediaFlags[i] != 0 ? 1 : 0;
        m_devices.push_back(std::move(record));
    }
}

void CDiscBurnImpWin::RescanDevices()
{
    ScanDevices();
}

DiscResult CDiscBurnImpWin::SelectDevice(int index)
{
    if (IsBusy())
        return DiscResult::Failed;
    // The same index names another drive after a rescan that changed the list.
    const bool selected = index >= 0 && index == m_selected && m_recorder != nullptr &&
                          size_t(index) < m_devices.size() && m_recorder->GetName() == m_devices[size_t(index)].drive;
    if (!selected)
    {
        CloseDevice();
        if (index < 0 || size_t(index) >= m_devices.size())
            return DiscResult::Failed;
        m_recorder = m_system->OpenRecorder(m_devices[size_t(index)].drive);
        if (m_recorder == nullptr || SetWriteSpeed(qm::platform::DiscRecorder::kMaxSpeed) != DiscResult::Ok)
        {
            CloseDevice();
            return DiscResult::Failed;
        }
    }
    // A drive without a disc is still selected; its disc data stay empty
    // until a disc is inserted and refreshed again.
    (void)RefreshDiscInfo();
    m_selected = index;
    m_drivePath = WideFromUtf8(m_devices[size_t(index)].drive);
    return DiscResult::Ok;
}

void CDiscBurnImpWin::CloseDevice()
{
    // A running job keeps its drive; the destructor stops the job first.
    if (IsBusy())
        return;
    m_recorder.reset();
    m_discType = -1;
    m_erasable = false;
    m_blank = false;
    m_speeds.clear();
    m_selected = -1;
    m_drivePath.clear();
}

DiscResult CDiscBurnImpWin::RefreshDiscInfo()
{
    if (IsBusy())
        return DiscResult::Failed;
    m_discType = -1;
    m_erasable = false;
    m_blank = false;
    m_speeds.clear();
    if (m_recorder == nullptr)
        return DiscResult::Failed;

    qm::platform::RecorderDiscInfo info;
    if (!m_recorder->ReadDiscInfo(info) || info.media == qm::platform::DiscMedia::None)
        return DiscResult::Failed;
    m_erasable = info.erasable;
    m_discType = static_cast<DiscTypeCode>(info.media);
    m_blank = info.blank;

    const uint32_t* table = nullptr;
    size_t count = 0;
    if (m_discType >= 1 && m_discType <= 3)
    {
        table = kCdSpeeds;
        count = std::size(kCdSpeeds);
    }
    else if (m_discType >= 4 && m_discType <= 14)
    {
        table = kDvdSpeeds;
        count = std::size(kDvdSpeeds);
    }
    const uint32_t maxSpeed = table != nullptr ? m_recorder->GetMaxWriteSpeed() : 0;
    if (maxSpeed != 0)
    {
        for (size_t i = 0; i < count && table[i] <= maxSpeed; ++i)
        {
            if (SetWriteSpeed(table[i]) != DiscResult::Ok)
                continue;
            const uint32_t current = m_recorder->GetCurrentWriteSpeed();
            if (current != 0 && std::find(m_speeds.begin(), m_speeds.end(), current) == m_speeds.end())
                m_speeds.push_back(current);
        }
        std::sort(m_speeds.begin(), m_speeds.end());
    }
    return DiscResult::Ok;
}

uint64_t CDiscBurnImpWin::GetDiscFreeSpace(int kind)
{
    qm::platform::RecorderDiscInfo info;
    if (m_recorder == nullptr || IsBusy() || !m_recorder->ReadDiscInfo(info))
        return 0;
    return info.freeSectors * (kind == 1 ? kAudioSectorBytes : kDataSectorBytes);
}

uint64_t CDiscBurnImpWin::GetDiscUsedSpace(int kind)
{
    qm::platform::RecorderDiscInfo info;
    if (m_recorder == nullptr || IsBusy() || !m_recorder->ReadDiscInfo(info))
        return 0;
    return info.usedSectors * (kind == 1 ? kAudioSectorBytes : kDataSectorBytes);
}

DiscResult CDiscBurnImpWin::SetWriteSpeed(uint32_t kilobytesPerSecond)
{
    if (m_recorder == nullptr || IsBusy())
        return DiscResult::Failed;
    return m_recorder->SetSpeeds(qm::platform::DiscRecorder::kMaxSpeed, kilobytesPerSecond) ? DiscResult::Ok
                                                                                            : DiscResult::Failed;
}

DiscResult CDiscBurnImpWin::StartBurn(const CAudioCDBurnJob&)
{
    return DiscResult::Failed;
}

DiscResult CDiscBurnImpWin::StartErase(bool quick)
{
    if (IsBusy() || RefreshDiscInfo() != DiscResult::Ok || !m_erasable)
        return DiscResult::Failed;
    m_recorder->SetSpeeds(qm::platform::DiscRecorder::kMaxSpeed, qm::platform::DiscRecorder::kMaxSpeed);

    // The amount a blanking covers, in KB.
    uint64_t amount = 0;
    const auto wholeDisc = [this] { return (GetDiscFreeSpace(3) + GetDiscUsedSpace(3)) / 1024; };
    switch (m_discType)
    {
    case 3: // CD-RW
        amount = quick ? 40960 : wholeDisc() + 40960;
        break;
    case 6:  // DVD-RAM
    case 7:  // DVD-RW
    case 8:  // DVD+RW
    case 11: // DD CD-RW
        amount = quick ? 716800 : wholeDisc() + 716800;
        break;
    case 16:
    case 17:
        amount = 153600;
        break;
    default:
        break;
    }
    const uint32_t speed = m_recorder->GetCurrentWriteSpeed();
    const uint64_t estimate = speed != 0 ? amount * 1000 / speed : 0;
    m_eraseEstimateMs.store(int32_t(std::min<uint64_t>(estimate, uint64_t(std::numeric_limits<int32_t>::max()))));

    m_cancel.store(false);
    m_command.store(quick ? kCommandQuickBlank : kCommandFullBlank);
    m_eraseStartMs.store(NowMs());
    if (!StartWorker())
    {
        m_command.store(kCommandWrite);
        return DiscResult::Failed;
    }
    return DiscResult::Ok;
}

bool CDiscBurnImpWin::StartWorker()
{
    // A worker at the priority it inherited still writes the disc; only one
    // that could not be made is a failure.
    (void)Start(kWorkerPriority);
    return m_thread.joinable();
}

bool CDiscBurnImpWin::IsBusy() const
{
    return m_command.load() != kCommandWrite;
}

void CDiscBurnImpWin::Cancel()
{
    m_cancel.store(true);
}

void CDiscBurnImpWin::Eject()
{
    if (IsBusy())
        return;
    m_discType = -1;
    m_erasable = false;
    m_blank = false;
    m_speeds.clear();
    if (m_recorder != nullptr)
        m_recorder->Eject();
}

float CDiscBurnImpWin::GetEraseProgress() const
{
    const int32_t estimate = m_eraseEstimateMs.load();
    if (estimate <= 0)
        return 0.0f;
    const double elapsed = double(NowMs() - m_eraseStartMs.load());
    return float(std::clamp(elapsed * 100.0 / double(estimate), 0.0, 100.0));
}

void CDiscBurnImpWin::OnWriteProgress(uint64_t totalBytes, uint64_t writtenBytes)
{
    OnProgress(kProgressWrite, totalBytes, writtenBytes);
}

void CDiscBurnImpWin::run()
{
    const uint32_t command = m_command.load();
    uint32_t result = 0;
    if (command == kCommandQuickBlank || command == kCommandFullBlank)
        result = m_recorder != nullptr ? m_recorder->Blank(command == kCommandQuickBlank, m_cancel)
                                       : uint32_t(qm::platform::kRecorderFailed);
    else
        result = WriteDisc();
    // The result is in place before the writer reports itself idle, so a
    // caller that sees it idle reads this job's result.
    m_lastResult.store(result);
    OnJobEnded();
    m_command.store(kCommandWrite);
}
