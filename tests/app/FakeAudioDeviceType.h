#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>
#include <vector>

namespace qm::test
{
// What one fake output device offers.
struct FakeDeviceSpec
{
    explicit FakeDeviceSpec(const juce::String& deviceName)
        : name(deviceName)
    {
    }

    juce::String name;
    juce::StringArray outputChannels{"Left", "Right"};
    juce::Array<int> bufferSizes{256, 512, 1024};
    int defaultBufferSize = 512;
    juce::Array<double> rates{44100.0, 48000.0, 96000.0};
    // Returned by open when not empty.
    juce::String openError;
};

class FakeAudioDevice;

// The devices of one fake device type and what the test sees of them.
struct FakeDeviceWorld
{
    std::vector<FakeDeviceSpec> devices;
    int defaultIndex = 0;
    // The device the manager created last, while it exists.
    FakeAudioDevice* current = nullptr;
    int created = 0;
};

// A device that plays only when the test runs a block through its callback.
class FakeAudioDevice final : public juce::AudioIODevice
{
public:
    FakeAudioDevice(FakeDeviceWorld& world, const FakeDeviceSpec& spec, const juce::String& typeName)
        : juce::AudioIODevice(spec.name, typeName),
          m_world(world),
          m_spec(spec)
    {
        m_world.current = this;
        ++m_world.created;
    }
    ~FakeAudioDevice() override
    {
        close();
        if (m_world.current == this)
            m_world.current = nullptr;
    }

    juce::StringArray getOutputChannelNames() override { return m_spec.outputChannels; }
    juce::StringArray getInputChannelNames() override { return {}; }
    juce::Array<double> getAvailableSampleRates() override { return m_spec.rates; }
    juce::Array<int> getAvailableBufferSizes() override { return m_spec.bufferSizes; }
    int getDefaultBufferSize() override { return m_spec.defaultBufferSize; }

    juce::String open(const juce::BigInteger& inputs, const juce::BigInteger& outputs, double rate,
                      int bufferSize) override
    {
        m_lastError = m_spec.openError;
        if (m_lastError.isNotEmpty())
            return m_lastError;
        m_outputs = outputs;
        m_outputs.setRange(m_spec.outputChannels.size(), outputs.getHighestBit() + 1, false);
        juce::ignoreUnused(inputs);
        m_rate = rate;
        m_bufferSize = bufferSize;
        m_open = true;
        return {};
    }
    void close() override
    {
        stop();
        m_open = false;
    }
    bool isOpen() override { return m_open; }
    void start(juce::AudioIODeviceCallback* callback) override
    {
        if (!m_open || callback == nullptr)
            return;
        callback->audioDeviceAboutToStart(this);
        m_callback = callback;
    }
    void stop() override
    {
        if (auto* old = m_callback)
        {
            m_callback = nullptr;
            old->audioDeviceStopped();
        }
    }
    bool isPlaying() override { return m_callback != nullptr && !stalled; }
    juce::String getLastError() override { return m_lastError; }
    int getCurrentBufferSizeSamples() override { return m_bufferSize; }
    double getCurrentSampleRate() override { return m_rate; }
    int getCurrentBitDepth() override { return 32; }
    juce::BigInteger getActiveOutputChannels() const override { return m_outputs; }
    juce::BigInteger getActiveInputChannels() const override { return {}; }
    int getOutputLatencyInSamples() override { return 0; }
    int getInputLatencyInSamples() override { return 0; }

    // Runs one block through the callback. The outputs start with stale
    // samples (0.75), as a real device's buffers may.
    std::vector<std::vector<float>> RunBlock(int channelCount, int sampleCount)
    {
        std::vector<std::vector<float>> buffers(channelCount, std::vector<float>(sampleCount, 0.75f));
        std::vector<float*> pointers;
        for (auto& buffer : buffers)
            pointers.push_back(buffer.data());
        if (m_callback != nullptr)
            m_callback->audioDeviceIOCallbackWithContext(nullptr, 0, pointers.data(), channelCount, sampleCount, {});
        return buffers;
    }

    bool HasCallback() const { return m_callback != nullptr; }

    // The device reports that it does not play although it was started.
    bool stalled = false;

private:
    FakeDeviceWorld& m_world;
    FakeDeviceSpec m_spec;
    juce::String m_lastError;
    juce::AudioIODeviceCallback* m_callback = nullptr;
    juce::BigInteger m_outputs;
    double m_rate = 0.0;
    int m_bufferSize = 0;
    bool m_open = false;
};

// A device type under a framework type name ("ALSA", "JACK") whose devices
// are the world's.
class FakeAudioDeviceType final : public juce::AudioIODeviceType
{
public:
    FakeAudioDeviceType(const juce::String& typeName, FakeDeviceWorld& world)
        : juce::AudioIODeviceType(typeName),
          m_world(world)
    {
    }

    void scanForDevices() override
    {
        m_names.clear();
        for (const auto& spec : m_world.devices)
            m_names.add(spec.name);
    }
    juce::StringArray getDeviceNames(bool wantInputNames) const override
    {
        return wantInputNames ? juce::StringArray() : m_names;
    }
    int getDefaultDeviceIndex(bool) const override { return m_world.defaultIndex; }
    int getIndexOfDevice(juce::AudioIODevice* device, bool) const override
    {
        return device != nullptr ? m_names.indexOf(device->getName()) : -1;
    }
    bool hasSeparateInputsAndOutputs() const override { return true; }
    juce::AudioIODevice* createDevice(const juce::String& outputName, const juce::String&) override
    {
        for (const auto& spec : m_world.devices)
        {
            if (spec.name == outputName)
                return new FakeAudioDevice(m_world, spec, getTypeName());
        }
        return nullptr;
    }

private:
    FakeDeviceWorld& m_world;
    juce::StringArray m_names;
};
} // namespace qm::test
