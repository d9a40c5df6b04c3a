#pragma once

#include "app/core/CBJXListenerOwner.h"
#include "app/core/CBJXSingleton.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_events/juce_events.h>

#include <functional>
#include <mutex>

class CTVAudioDeviceManager;

// Told of the device manager's events. Calls come on the thread that caused
// the event, with the manager's lock held.
class CTVAudioDeviceManagerListener
{
public:
    virtual ~CTVAudioDeviceManagerListener() = default;

    // The device is about to deliver audio at this rate and buffer size.
    virtual void deviceAboutToStart(CTVAudioDeviceManager*, double /*sampleRate*/, int /*bufferSize*/) {}
    virtual void deviceStopped(CTVAudioDeviceManager*) {}
    // The driver kind (0 ALSA, 1 JACK) changed; the device was closed before.
    virtual void driverTypeChanged(CTVAudioDeviceManager*, int /*driverKind*/) {}
    // A device was opened (its index in the current name list) or closed (-1).
    virtual void deviceChanged(CTVAudioDeviceManager*, int /*deviceIndex*/) {}
};

// The one receiver of the device's audio. processAudio runs on the audio
// thread and must not block.
class CTVAudioDeviceManagerProcessor
{
public:
    virtual ~CTVAudioDeviceManagerProcessor() = default;

    // Every output channel holds sampleCount zero samples on entry.
    virtual void processAudio(const float* const* inputChannels, int inputCount, float* const* outputChannels,
                              int outputCount, int sampleCount) = 0;
};

// The program's one audio output device, opened through the framework's ALSA
// device type (driver kind 0) or JACK device type (driver kind 1). It opens a
// device by name with a rate, an output channel pair (pair n = channels 2n and
// 2n+1) and a buffer size, routes the device's callback to the registered
// processor, restarts a device that stops playing, and keeps its settings in
// the preferences ("AudioDriverType", "AudioDevice", "AudioSampleRate",
// "AudioBufferSize", "AudioChannelIndex").
//
// Every operation except the audio callback belongs to the message thread.
// Operations that report errors return the error text, empty on success.
class CTVAudioDeviceManager : public juce::AudioIODeviceCallback,
                              public CBJXListenerOwner<CTVAudioDeviceManagerListener>,
                              public juce::Timer,
                              public CBJXSingleton<CTVAudioDeviceManager>
{
public:
    CTVAudioDeviceManager();
    ~CTVAudioDeviceManager() override;

    CTVAudioDeviceManager(const CTVAudioDeviceManager&) = delete;
    CTVAudioDeviceManager& operator=(const CTVAudioDeviceManager&) = delete;

    // The framework's type names of the two driver kinds.
    static constexpr const char* kOutputTypeName = "ALSA";
    static constexpr const char* kJackTypeName = "JACK";

    // Device names of the current driver kind.
    juce::StringArray GetDeviceNames() const;
    int GetNumDevices() const;
    juce::String GetDeviceNameAt(int index) const;
    juce::String GetCurrentDeviceName() const;
    // The type names of the selectable driver kinds, entry n for kind n.
    juce::StringArray GetDriverTypeNames() const;
    // The open device's buffer sizes: its default size when it offers one
    // size, else the offered sizes that are powers of two; empty without a
    // device.
    juce::Array<int> GetAvailableBufferSizes() const;

    // Kind 0 (ALSA) or 1 (JACK); closes the open device when the kind changes.
    void SetDriverType(int kind);

    // Opens the named device of the current kind and starts it. On failure,
    // when retryPrevious is set and no device is left open, the settings in use
    // before the call are opened again; the first error is returned.
    juce::String OpenDevice(const juce::String& name, double rate, int channelIndex, int bufferSize,
                            bool retryPrevious);
    // A negative index closes the device.
    juce::String OpenDeviceByIndex(int deviceIndex, int channelIndex, int bufferSize, double rate);
    void CloseCurrentDevice();
    void StartCurrentDevice();
    void StopCurrentDevice();
    // Reopens and starts a device that is not playing.
    juce::String Restart();

    juce::String SetBufferSize(int size);
    juce::String SetChannelIndex(int pair);
    juce::String SetSampleRateAndBufferSize(int bufferSize, double rate);
    juce::String SetSampleRate(double rate);

    void SaveSettings();
    void LoadSettings();

    // Registers the receiver of the audio (null: none). Once this returns, the
    // previous processor is not called any more.
    void SetProcessor(CTVAudioDeviceManagerProcessor* processor);

    // State read by the preference page.
    juce::AudioIODevice* GetCurrentDevice() const;
    bool IsRunning() const;
    int GetDriverType() const;
    int GetCurrentDeviceIndex() const;
    int GetChannelIndex() const;
    double GetSampleRate() const;
    // "first/second" channel names of each output pair of the open device;
    // empty when none is open.
    juce::StringArray GetChannelPairNames() const;

    // The framework's callback interface.
    void audioDeviceIOCallbackWithContext(const float* const* inputChannelData, int numInputChannels,
                                          float* const* outputChannelData, int numOutputChannels, int numSamples,
                                          const juce::AudioIODeviceCallbackContext& context) override;
    void audioDeviceAboutToStart(juce::AudioIODevice* device) override;
    void audioDeviceStopped() override;

    // The stall watchdog, every 250 ms while a device runs: a device found not
    // playing by three checks in a row is restarted.
    void timerCallback() override;

    static constexpr int kWatchdogIntervalMs = 250;

    // Supplies the device types of instances created afterwards (tests put
    // their own types here); null restores the framework's types.
    using DeviceTypeFactory = std::function<void(juce::OwnedArray<juce::AudioIODeviceType>&)>;
    static void SetDeviceTypeFactory(DeviceTypeFactory factory);

private:
    juce::AudioIODeviceType* TypeOfKind(int kind) const;
    const juce::StringArray& NamesOfKind(int kind) const;
    // Buffer sizes of any device, by the rule of GetAvailableBufferSizes.
    static juce::Array<int> BufferSizesOf(juce::AudioIODevice& device);
    // A request fitted to the offered sizes.
    static int FitBufferSize(int request, const juce::Array<int>& available);
    juce::String OpenDeviceOnce(const juce::String& name, double rate, int channelIndex, int bufferSize);

    CTVAudioDeviceManagerProcessor* m_processor = nullptr;
    juce::OwnedArray<juce::AudioIODeviceType> m_deviceTypes;
    int m_outputTypeIndex = -1;
    int m_jackTypeIndex = -1;
    std::unique_ptr<juce::AudioIODevice> m_device;
    int m_driverKind = 0;
    int m_deviceIndex = -1;
    double m_sampleRate = 0.0;
    int m_channelIndex = 0;
    juce::StringArray m_outputDeviceNames;
    juce::StringArray m_jackDeviceNames;
    juce::StringArray m_channelPairNames;
    // Guards open, close, start, stop and the driver kind.
    mutable std::recursive_mutex m_managerLock;
    // Held around the processor call and around changes of the processor.
    std::mutex m_callbackLock;
    bool m_running = false;
    int m_stallCount = 0;

    static inline std::mutex s_factoryLock;
    static inline DeviceTypeFactory s_factory;
};
