#include "app/devices/CTVAudioDeviceManager.h"

#include "app/core/CTVPreferences.h"

#include <cmath>

namespace
{
using Lock = std::lock_guard<std::recursive_mutex>;

bool IsPowerOfTwo(int size)
{
    return size > 0 && (size & (size - 1)) == 0;
}

// The rate as decimal text, without a fraction when it is whole.
juce::String RateText(double rate)
{
    if (std::isfinite(rate) && rate == std::floor(rate) && std::fabs(rate) < 1.0e15)
        return juce::String(static_cast<juce::int64>(rate));
    return juce::String(rate);
}

// Preference access for the duration of one operation.
class ScopedPreferences
{
public:
    ScopedPreferences()
        : m_prefs(CTVPreferences::GetInstance())
    {
    }
    ~ScopedPreferences()
    {
        if (m_prefs != nullptr)
            CTVPreferences::Release();
    }
    ScopedPreferences(const ScopedPreferences&) = delete;
    ScopedPreferences& operator=(const ScopedPreferences&) = delete;

    CTVPreferences* operator->() const { return m_prefs; }
    explicit operator bool() const { return m_prefs != nullptr; }

private:
    CTVPreferences* m_prefs;
};
} // namespace

void CTVAudioDeviceManager::SetDeviceTypeFactory(DeviceTypeFactory factory)
{
    std::lock_guard<std::mutex> guard(s_factoryLock);
    s_factory = std::move(factory);
}

CTVAudioDeviceManager::CTVAudioDeviceManager()
{
    DeviceTypeFactory factory;
    {
        std::lock_guard<std::mutex> guard(s_factoryLock);
        factory = s_factory;
    }
    if (factory)
    {
        factory(m_deviceTypes);
    }
    else
    {
        juce::AudioDeviceManager framework;
        framework.createAudioDeviceTypes(m_deviceTypes);
    }

    for (int i = 0; i < m_deviceTypes.size(); ++i)
    {
        juce::AudioIODeviceType* type = m_deviceTypes[i];
        if (type == nullptr)
            continue;
        const juce::String& typeName = type->getTypeName();
        if (typeName == kOutputTypeName && m_outputTypeIndex < 0)
        {
            m_outputTypeIndex = i;
            type->scanForDevices();
            m_outputDeviceNames = type->getDeviceNames(false);
        }
        else if (typeName == kJackTypeName && m_jackTypeIndex < 0)
        {
            m_jackTypeIndex = i;
            type->scanForDevices();
            m_jackDeviceNames = type->getDeviceNames(false);
        }
    }
}

CTVAudioDeviceManager::~CTVAudioDeviceManager()
{
    stopTimer();
    CloseCurrentDevice();
}

juce::AudioIODeviceType* CTVAudioDeviceManager::TypeOfKind(int kind) const
{
    const int index = kind == 0 ? m_outputTypeIndex : kind == 1 ? m_jackTypeIndex : -1;
    return index >= 0 ? m_deviceTypes[index] : nullptr;
}

const juce::StringArray& CTVAudioDeviceManager::NamesOfKind(int kind) const
{
    return kind == 1 ? m_jackDeviceNames : m_outputDeviceNames;
}

juce::StringArray CTVAudioDeviceManager::GetDeviceNames() const
{
    Lock lock(m_managerLock);
    return NamesOfKind(m_driverKind);
}

int CTVAudioDeviceManager::GetNumDevices() const
{
    Lock lock(m_managerLock);
    return NamesOfKind(m_driverKind).size();
}

juce::String CTVAudioDeviceManager::GetDeviceNameAt(int index) const
{
    Lock lock(m_managerLock);
    return NamesOfKind(m_driverKind)[index];
}

juce::String CTVAudioDeviceManager::GetCurrentDeviceName() const
{
    Lock lock(m_managerLock);
    return NamesOfKind(m_driverKind)[m_deviceIndex];
}

juce::StringArray CTVAudioDeviceManager::GetDriverTypeNames() const
{
    // Entry n stands for kind n, so the list stops at the first kind the
    // framework does not offer.
    juce::StringArray names;
    for (int kind = 0; kind < 2; ++kind)
    {
        juce::AudioIODeviceType* type = TypeOfKind(kind);
        if (type == nullptr)
            break;
        names.add(type->getTypeName());
    }
    return names;
}

juce::Array<int> CTVAudioDeviceManager::BufferSizesOf(juce::AudioIODevice& device)
{
    const juce::Array<int> offered = device.getAvailableBufferSizes();
    if (offered.size() == 1)
        return {device.getDefaultBufferSize()};
    juce::Array<int> sizes;
    for (int size : offered)
    {
        if (IsPowerOfTwo(size))
            sizes.add(size);
    }
    return sizes;
}

juce::Array<int> CTVAudioDeviceManager::GetAvailableBufferSizes() const
{
    Lock lock(m_managerLock);
    if (m_device == nullptr)
        return {};
    return BufferSizesOf(*m_device);
}

int CTVAudioDeviceManager::FitBufferSize(int request, const juce::Array<int>& available)
{
    // A device whose sizes are all unusual offers nothing to fit to: the
    // request goes to the device as it is.
    if (available.isEmpty())
        return request;
    for (int size : available)
    {
        if (size >= request)
            return size;
    }
    return juce::jlimit(available.getFirst(), available.getLast(), request);
}

void CTVAudioDeviceManager::SetDriverType(int kind)
{
    if (kind != 0 && kind != 1)
        return;
    Lock lock(m_managerLock);
    if (kind == m_driverKind)
        return;
    StopCurrentDevice();
    CloseCurrentDevice();
    m_driverKind = kind;
    CallListeners([&](CTVAudioDeviceManagerListener& l) { l.driverTypeChanged(this, kind); });
}

juce::String CTVAudioDeviceManager::OpenDevice(const juce::String& name, double rate, int channelIndex, int bufferSize,
                                               bool retryPrevious)
{
    Lock lock(m_managerLock);

    // The settings in use now, for the retry.
    juce::String previousName;
    double previousRate = 44100.0;
    int previousPair = 0;
    int previousSize = 2048;
    if (m_device != nullptr)
    {
        previousName = m_device->getName();
        previousRate = m_device->getCurrentSampleRate();
        previousPair = m_device->getActiveOutputChannels().getHighestBit() / 2;
        previousSize = m_device->getCurrentBufferSizeSamples();
    }
    else if (juce::AudioIODeviceType* type = TypeOfKind(m_driverKind))
    {
        previousName = type->getDeviceNames(false)[type->getDefaultDeviceIndex(false)];
    }

    CloseCurrentDevice();
    const juce::String error = OpenDeviceOnce(name, rate, channelIndex, bufferSize);
    if (error.isEmpty())
        return {};

    juce::Logger::outputDebugString(error); // it ends the line itself
    if (retryPrevious && m_device == nullptr)
        OpenDevice(previousName, previousRate, previousPair, previousSize, false);
    return error;
}

juce::String CTVAudioDeviceManager::OpenDeviceOnce(const juce::String& name, double rate, int channelIndex,
                                                   int bufferSize)
{
    const int index = NamesOfKind(m_driverKind).indexOf(name);
    juce::AudioIODeviceType* type = TypeOfKind(m_driverKind);
    if (index < 0 || type == nullptr)
        return "Device not found.";

    std::unique_ptr<juce::AudioIODevice> device(type->createDevice(name, {}));
    if (device == nullptr)
        return "Device not found.";
    juce::String error = device->getLastError();
    if (error.isNotEmpty())
        return error;

    const juce::StringArray channelNames = device->getOutputChannelNames();
    const int pairCount = channelNames.size() / 2;
    if (channelIndex < 0 || channelIndex >= pairCount)
        channelIndex = 0;

    juce::BigInteger outputs;
    outputs.setBit(2 * channelIndex);
    outputs.setBit(2 * channelIndex + 1);

    if (bufferSize <= 0)
    {
        bufferSize = m_driverKind == 0 ? 2048 : 1024;
        if (rate >= 176400.0)
            bufferSize *= 4;
        else if (rate >= 88200.0)
            bufferSize *= 2;
    }
    bufferSize = FitBufferSize(bufferSize, BufferSizesOf(*device));

    error = device->open({}, outputs, rate, bufferSize);
    if (error.isNotEmpty())
    {
        device->close();
        return error;
    }

    m_device = std::move(device);
    m_channelIndex = channelIndex;
    m_channelPairNames.clear();
    for (int pair = 0; pair < pairCount; ++pair)
        m_channelPairNames.add(channelNames[2 * pair] + "/" + channelNames[2 * pair + 1]);
    m_deviceIndex = index;
    CallListeners([&](CTVAudioDeviceManagerListener& l) { l.deviceChanged(this, index); });
    m_sampleRate = m_device->getCurrentSampleRate();

    if (m_device->getAvailableSampleRates().isEmpty())
    {
        CloseCurrentDevice();
        return "Device cannot be running.";
    }
    StartCurrentDevice();
    return {};
}

juce::String CTVAudioDeviceManager::OpenDeviceByIndex(int deviceIndex, int channelIndex, int bufferSize, double rate)
{
    if (deviceIndex < 0)
    {
        CloseCurrentDevice();
        return {};
    }
    return OpenDevice(GetDeviceNameAt(deviceIndex), rate, channelIndex, bufferSize, true);
}

void CTVAudioDeviceManager::CloseCurrentDevice()
{
    Lock lock(m_managerLock);
    if (m_device == nullptr)
        return;
    StopCurrentDevice();
    m_device->close();
    m_device.reset();
    m_sampleRate = 0.0;
    m_deviceIndex = -1;
    // The pair names describe the open device only.
    m_channelPairNames.clear();
    CallListeners([&](CTVAudioDeviceManagerListener& l) { l.deviceChanged(this, -1); });
}

void CTVAudioDeviceManager::StartCurrentDevice()
{
    Lock lock(m_managerLock);
    if (m_device != nullptr)
        m_device->start(this);
}

void CTVAudioDeviceManager::StopCurrentDevice()
{
    Lock lock(m_managerLock);
    stopTimer();
    m_running = false;
    if (m_device != nullptr)
        m_device->stop();
}

juce::String CTVAudioDeviceManager::Restart()
{
    Lock lock(m_managerLock);
    if (m_device == nullptr)
        return "Cannot Restart";
    if (m_device->isPlaying())
        return {};
    juce::String error = OpenDeviceByIndex(m_deviceIndex, m_channelIndex, m_device->getCurrentBufferSizeSamples(),
                                           m_device->getCurrentSampleRate());
    if (error.isEmpty())
        StartCurrentDevice();
    return error;
}

juce::String CTVAudioDeviceManager::SetBufferSize(int size)
{
    Lock lock(m_managerLock);
    if (m_device == nullptr)
        return "No Device";
    if (size == m_device->getCurrentBufferSizeSamples())
        return {};
    return OpenDeviceByIndex(m_deviceIndex, m_channelIndex, size, m_device->getCurrentSampleRate());
}

juce::String CTVAudioDeviceManager::SetChannelIndex(int pair)
{
    Lock lock(m_managerLock);
    if (m_device == nullptr)
        return "No Device";
    if (pair == m_channelIndex)
        return {};
    return OpenDeviceByIndex(m_deviceIndex, pair, m_device->getCurrentBufferSizeSamples(),
                             m_device->getCurrentSampleRate());
}

juce::String CTVAudioDeviceManager::SetSampleRateAndBufferSize(int bufferSize, double rate)
{
    Lock lock(m_managerLock);
    if (m_device == nullptr)
        return "No Device";
    if (bufferSize == m_device->getCurrentBufferSizeSamples() && rate == m_device->getCurrentSampleRate())
        return {};
    return OpenDeviceByIndex(m_deviceIndex, m_channelIndex, bufferSize, rate);
}

juce::String CTVAudioDeviceManager::SetSampleRate(double rate)
{
    Lock lock(m_managerLock);
    if (m_device == nullptr)
        return "No Device";
    if (rate == m_device->getCurrentSampleRate())
        return {};
    return SetSampleRateAndBufferSize(m_device->getCurrentBufferSizeSamples(), rate);
}

void CTVAudioDeviceManager::SaveSettings()
{
    Lock lock(m_managerLock);
    ScopedPreferences prefs;
    if (!prefs)
        return;
    prefs->SetInt("AudioDriverType", m_driverKind);
    prefs->SetString("AudioDevice", GetCurrentDeviceName());
    prefs->SetString("AudioSampleRate", m_device != nullptr ? RateText(m_device->getCurrentSampleRate()) : "44100");
    prefs->SetInt("AudioBufferSize", m_device != nullptr ? m_device->getCurrentBufferSizeSamples() : 0);
    prefs->SetInt("AudioChannelIndex", m_channelIndex);
}

void CTVAudioDeviceManager::LoadSettings()
{
    int kind = 0;
    int bufferSize = 0;
    double rate = 44100.0;
    int pair = 0;
    juce::String name;
    {
        ScopedPreferences prefs;
        if (prefs)
        {
            kind = prefs->GetInt("AudioDriverType", 0);
            bufferSize = prefs->GetInt("AudioBufferSize", 0);
            rate = prefs->GetString("AudioSampleRate", "44100").getDoubleValue();
            pair = prefs->GetInt("AudioChannelIndex", 0);
            name = prefs->GetString("AudioDevice", {});
        }
    }

    Lock lock(m_managerLock);
    SetDriverType(kind);

    juce::String error;
    if (name.isEmpty())
    {
        // No saved device: the driver's default output device.
        if (juce::AudioIODeviceType* type = TypeOfKind(m_driverKind))
            name = type->getDeviceNames(false)[type->getDefaultDeviceIndex(false)];
        error = OpenDevice(name, rate, pair, bufferSize, true);
    }
    else if (m_device != nullptr && m_device->getCurrentBufferSizeSamples() == bufferSize &&
             m_device->getCurrentSampleRate() == rate && m_channelIndex == pair && GetCurrentDeviceName() == name)
    {
        // That device is open with those settings already.
    }
    else
    {
        error = OpenDevice(name, rate, pair, bufferSize, true);
    }

    if (error.isEmpty())
        StartCurrentDevice();
}

void CTVAudioDeviceManager::SetProcessor(CTVAudioDeviceManagerProcessor* processor)
{
    std::lock_guard<std::mutex> guard(m_callbackLock);
    m_processor = processor;
}

juce::AudioIODevice* CTVAudioDeviceManager::GetCurrentDevice() const
{
    Lock lock(m_managerLock);
    return m_device.get();
}

bool CTVAudioDeviceManager::IsRunning() const
{
    Lock lock(m_managerLock);
    return m_running;
}

int CTVAudioDeviceManager::GetDriverType() const
{
    Lock lock(m_managerLock);
    return m_driverKind;
}

int CTVAudioDeviceManager::GetCurrentDeviceIndex() const
{
    Lock lock(m_managerLock);
    return m_deviceIndex;
}

int CTVAudioDeviceManager::GetChannelIndex() const
{
    Lock lock(m_managerLock);
    return m_channelIndex;
}

double CTVAudioDeviceManager::GetSampleRate() const
{
    Lock lock(m_managerLock);
    return m_sampleRate;
}

juce::StringArray CTVAudioDeviceManager::GetChannelPairNames() const
{
    Lock lock(m_managerLock);
    return m_channelPairNames;
}

void CTVAudioDeviceManager::audioDeviceIOCallbackWithContext(const float* const* inputChannelData, int numInputChannels,
                                                             float* const* outputChannelData, int numOutputChannels,
                                                             int numSamples, const juce::AudioIODeviceCallbackContext&)
{
    // Every output starts silent, so channels the processor leaves alone (a
    // mono device, pairs it does not fill) never replay old buffer contents.
    if (outputChannelData != nullptr && numSamples > 0)
    {
        for (int channel = 0; channel < numOutputChannels; ++channel)
        {
            if (outputChannelData[channel] != nullptr)
                juce::FloatVectorOperations::clear(outputChannelData[channel], numSamples);
        }
    }

    // The message thread holds this lock only to swap the processor pointer.
    // Rather than wait even for that, a block that meets the swap stays silent.
    std::unique_lock<std::mutex> guard(m_callbackLock, std::try_to_lock);
    if (guard.owns_lock() && m_processor != nullptr)
        m_processor->processAudio(inputChannelData, numInputChannels, outputChannelData, numOutputChannels, numSamples);
}

void CTVAudioDeviceManager::audioDeviceAboutToStart(juce::AudioIODevice* device)
{
    Lock lock(m_managerLock);
    m_stallCount = 0;
    m_running = true;
    const double rate = device != nullptr ? device->getCurrentSampleRate() : 0.0;
    const int size = device != nullptr ? device->getCurrentBufferSizeSamples() : 0;
    CallListeners([&](CTVAudioDeviceManagerListener& l) { l.deviceAboutToStart(this, rate, size); });
    startTimer(kWatchdogIntervalMs);
}

void CTVAudioDeviceManager::audioDeviceStopped()
{
    Lock lock(m_managerLock);
    CallListeners([&](CTVAudioDeviceManagerListener& l) { l.deviceStopped(this); });
}

void CTVAudioDeviceManager::timerCallback()
{
    Lock lock(m_managerLock);
    stopTimer();
    if (m_device != nullptr && m_running && !m_device->isPlaying())
    {
        if (++m_stallCount > 2)
        {
            m_stallCount = 0;
            if (Restart().isNotEmpty())
                m_running = false;
        }
    }
    if (m_running)
        startTimer(kWatchdogIntervalMs);
}
