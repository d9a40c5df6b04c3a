#include "ui/preferences/AudioPreferenceTab.h"

#include "app/core/TextFormatting.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"

namespace Tavrel
{
namespace
{
constexpr const char* kNoChoices = "(no choices)";

std::unique_ptr<juce::Label> makeTabLabel(const char* key)
{
    auto label = makeCaption(key, 2);
    label->setEditable(false);
    label->setColour(juce::Label::textColourId, juce::Colours::black);
    label->setColour(juce::TextEditor::backgroundColourId, juce::Colours::transparentBlack);
    return label;
}
} // namespace

juce::String AudioPreferenceTab::describeLatency(int bufferSize, double sampleRate)
{
    const double ms = sampleRate > 0.0 ? bufferSize / sampleRate * 1000.0 : 0.0;
    return uiText("Pref_Latency") + juce::String::formatted(" : %.1f ms", ms);
}

AudioPreferenceTab::AudioPreferenceTab()
{
    m_driverTypeCaption = makeTabLabel("Pref_DriverType");
    m_driverType = std::make_unique<juce::ComboBox>("DriverType");
    m_deviceCaption = makeTabLabel("Pref_DriverName");
    m_device = std::make_unique<juce::ComboBox>("Device");
    m_sampleRateCaption = makeTabLabel("Pref_SampleRate");
    m_sampleRate = std::make_unique<juce::ComboBox>("SampleRate");
    m_bufferSizeCaption = makeTabLabel("Pref_BufferSize");
    m_bufferSize = std::make_unique<juce::ComboBox>("BufferSize");
    m_channelsCaption = makeTabLabel("Pref_Channels");
    m_channels = std::make_unique<juce::ComboBox>("Channels");
    m_controlPanel = std::make_unique<juce::TextButton>(uiText("Pref_ControlPanel"));
    m_latency = makeTabLabel("Pref_Latency");

    m_comboLook = std::make_unique<ComboBoxLookAndFeel>(m_driverType.get(), 2);
    for (juce::ComboBox* box : {m_driverType.get(), m_device.get(), m_sampleRate.get(), m_bufferSize.get(),
                                m_channels.get()})
    {
        box->setEditableText(false);
        box->setTextWhenNoChoicesAvailable(kNoChoices);
        box->setLookAndFeel(m_comboLook.get());
        box->addListener(this);
    }
    for (juce::Component* child :
         {static_cast<juce::Component*>(m_driverTypeCaption.get()), static_cast<juce::Component*>(m_driverType.get()),
          static_cast<juce::Component*>(m_deviceCaption.get()), static_cast<juce::Component*>(m_device.get()),
          static_cast<juce::Component*>(m_sampleRateCaption.get()), static_cast<juce::Component*>(m_sampleRate.get()),
          static_cast<juce::Component*>(m_bufferSizeCaption.get()), static_cast<juce::Component*>(m_bufferSize.get()),
          static_cast<juce::Component*>(m_channelsCaption.get()), static_cast<juce::Component*>(m_channels.get()),
          static_cast<juce::Component*>(m_controlPanel.get()), static_cast<juce::Component*>(m_latency.get())})
        addAndMakeVisible(child);
    m_controlPanel->addListener(this);
    setSize(kWidth, kHeight);

    if (CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance())
    {
        const juce::StringArray types = devices->GetDriverTypeNames();
        for (int i = 0; i < types.size(); ++i)
            m_driverType->addItem(types[i], i + 1);
        devices->AddListener(this);
    }
    refresh(true);
}

AudioPreferenceTab::~AudioPreferenceTab()
{
    if (CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance())
        devices->RemoveListener(this);
    for (juce::ComboBox* box : {m_driverType.get(), m_device.get(), m_sampleRate.get(), m_bufferSize.get(),
                                m_channels.get()})
        box->setLookAndFeel(nullptr);
}

void AudioPreferenceTab::refresh(bool forceDeviceList)
{
    CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance();
    if (devices == nullptr)
        return;
    const int typeId = devices->GetDriverType() + 1;
    const bool typeChanged = m_driverType->getSelectedId() != typeId;
    m_driverType->setSelectedId(typeId, juce::dontSendNotification);
    if (typeChanged || forceDeviceList)
    {
        m_device->clear(juce::dontSendNotification);
        m_device->addItem("--", 1);
        const juce::StringArray names = devices->GetDeviceNames();
        for (int i = 0; i < names.size(); ++i)
            m_device->addItem(names[i], i + 2);
    }
    const int deviceIndex = devices->GetCurrentDeviceIndex();
    m_device->setSelectedId(deviceIndex + 2, juce::dontSendNotification);

    juce::AudioIODevice* device = devices->GetCurrentDevice();
    m_controlPanel->setEnabled(device != nullptr && device->hasControlPanel());

    m_sampleRate->clear(juce::dontSendNotification);
    if (device != nullptr)
    {
        const juce::Array<double> rates = device->getAvailableSampleRates();
        for (int i = 0; i < rates.size(); ++i)
            m_sampleRate->addItem(formatSampleRate(rates[i], true), i + 1);
    }
    m_bufferSize->clear(juce::dontSendNotification);
    const juce::String samples = " " + uiText("Pref_Samples");
    const juce::Array<int> sizes = devices->GetAvailableBufferSizes();
    for (int i = 0; i < sizes.size(); ++i)
        m_bufferSize->addItem(juce::String(sizes[i]) + samples, i + 1);
    m_channels->clear(juce::dontSendNotification);
    const juce::StringArray pairs = devices->GetChannelPairNames();
    for (int i = 0; i < pairs.size(); ++i)
        m_channels->addItem(pairs[i], i + 1);

    const bool selected = deviceIndex >= 0;
    for (juce::ComboBox* box : {m_sampleRate.get(), m_bufferSize.get(), m_channels.get()})
        box->setEnabled(selected);
    m_latency->setVisible(selected);
    if (!selected)
    {
        for (juce::ComboBox* box : {m_sampleRate.get(), m_bufferSize.get(), m_channels.get()})
            box->setText({}, juce::dontSendNotification);
        return;
    }
    const double rate = device != nullptr ? device->getCurrentSampleRate() : 44100.0;
    const int size = device != nullptr ? device->getCurrentBufferSizeSamples() : 0;
    m_sampleRate->setText(formatSampleRate(rate, true), juce::dontSendNotification);
    m_bufferSize->setText(juce::String(size) + samples, juce::dontSendNotification);
    m_latency->setText(describeLatency(size, rate), juce::dontSendNotification);
    m_channels->setSelectedId(devices->GetChannelIndex() + 1, juce::dontSendNotification);
}

void AudioPreferenceTab::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::white);
}

void AudioPreferenceTab::resized()
{
    m_driverTypeCaption->setBounds(8, 8, 150, 24);
    m_driverType->setBounds(8, 32, 272, 24);
    m_deviceCaption->setBounds(8, 64, 150, 24);
    m_device->setBounds(8, 88, 272, 24);
    m_sampleRateCaption->setBounds(8, 184, 128, 24);
    m_sampleRate->setBounds(144, 184, 136, 24);
    m_bufferSizeCaption->setBounds(8, 216, 128, 24);
    m_bufferSize->setBounds(144, 216, 136, 24);
    m_channelsCaption->setBounds(8, 120, 104, 24);
    m_channels->setBounds(8, 144, 272, 24);
    m_controlPanel->setBounds(144, 64, 136, 24);
    m_latency->setBounds(144, 248, 134, 16);
}

void AudioPreferenceTab::comboBoxChanged(juce::ComboBox* box)
{
    CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance();
    if (devices == nullptr)
        return;
    const int id = box->getSelectedId();
    // The manager's error texts are not shown: the lists show what it has
    // open afterwards.
    if (box == m_driverType.get())
    {
        devices->SetDriverType(id - 1);
    }
    else if (box == m_device.get())
    {
        (void)devices->OpenDeviceByIndex(id - 2, 0, 0, 44100.0);
    }
    else if (box == m_sampleRate.get())
    {
        juce::AudioIODevice* device = devices->GetCurrentDevice();
        const juce::Array<double> rates = device != nullptr ? device->getAvailableSampleRates() : juce::Array<double>();
        (void)devices->SetSampleRate(juce::isPositiveAndBelow(id - 1, rates.size()) ? rates[id - 1] : 0.0);
    }
    else if (box == m_bufferSize.get())
    {
        const juce::Array<int> sizes = devices->GetAvailableBufferSizes();
        (void)devices->SetBufferSize(juce::isPositiveAndBelow(id - 1, sizes.size()) ? sizes[id - 1] : 0);
    }
    else if (box == m_channels.get())
    {
        (void)devices->SetChannelIndex(id - 1);
    }
    refresh(false);
}

void AudioPreferenceTab::buttonClicked(juce::Button* button)
{
    if (button != m_controlPanel.get())
        return;
    CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance();
    juce::AudioIODevice* device = devices != nullptr ? devices->GetCurrentDevice() : nullptr;
    if (device != nullptr && device->hasControlPanel())
        (void)device->showControlPanel();
}
} // namespace Tavrel
