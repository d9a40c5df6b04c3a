#pragma once

#include "app/devices/CTVAudioDeviceManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tavrel
{
class ComboBoxLookAndFeel;

// The audio output page of the preferences: driver type, device, output
// channels, sample rate and buffer size, the device's control panel and the
// latency. Every change goes to the audio device manager at once, and the
// page shows what the manager reports afterwards. Message thread.
class AudioPreferenceTab : public juce::Component,
                           public CTVAudioDeviceManagerListener,
                           public juce::ComboBox::Listener,
                           public juce::Button::Listener
{
public:
    static constexpr int kWidth = 288;
    static constexpr int kHeight = 272;

    AudioPreferenceTab();
    ~AudioPreferenceTab() override;

    // Shows the manager's state; the device list is rebuilt when the driver
    // type changed or when forced.
    void refresh(bool forceDeviceList);

    juce::ComboBox& getDriverTypeList() { return *m_driverType; }
    juce::ComboBox& getDeviceList() { return *m_device; }
    juce::ComboBox& getSampleRateList() { return *m_sampleRate; }
    juce::ComboBox& getBufferSizeList() { return *m_bufferSize; }
    juce::ComboBox& getChannelList() { return *m_channels; }
    juce::TextButton& getControlPanelButton() { return *m_controlPanel; }
    juce::Label& getLatencyDisplay() { return *m_latency; }

    void paint(juce::Graphics& g) override;
    void resized() override;

    void comboBoxChanged(juce::ComboBox* box) override;
    void buttonClicked(juce::Button* button) override;
    void deviceAboutToStart(CTVAudioDeviceManager*, double, int) override { refresh(false); }
    void deviceChanged(CTVAudioDeviceManager*, int) override { refresh(false); }
    void driverTypeChanged(CTVAudioDeviceManager*, int) override { refresh(true); }

    // "Latency : 11.6 ms" for 512 samples at 44100 Hz.
    static juce::String describeLatency(int bufferSize, double sampleRate);

private:
    std::unique_ptr<ComboBoxLookAndFeel> m_comboLook;
    std::unique_ptr<juce::Label> m_driverTypeCaption;
    std::unique_ptr<juce::ComboBox> m_driverType;
    std::unique_ptr<juce::Label> m_deviceCaption;
    std::unique_ptr<juce::ComboBox> m_device;
    std::unique_ptr<juce::Label> m_sampleRateCaption;
    std::unique_ptr<juce::ComboBox> m_sampleRate;
    std::unique_ptr<juce::Label> m_bufferSizeCaption;
    std::unique_ptr<juce::ComboBox> m_bufferSize;
    std::unique_ptr<juce::Label> m_channelsCaption;
    std::unique_ptr<juce::ComboBox> m_channels;
    std::unique_ptr<juce::TextButton> m_controlPanel;
    std::unique_ptr<juce::Label> m_latency;
};
} // namespace Tavrel
