#include "ui/main/ExportAndBurnCD.h"

#include "app/commands/CommandManager.h"
#include "app/host/CTVHost.h"
#include "session/manager/ExportManager.h"
#include "ui/look/ProgramImages.h"

namespace
{
constexpr int kCommandExport = 32;
constexpr int kCommandBurn = 33;
} // namespace

ExportAndBurnCD::ExportAndBurnCD(CTVHost& host)
    : m_host(host),
      m_burn(juce::Image(), 2, 0, 1, 1, kDisabledOpacity),
      m_export(juce::Image(), 2, 0, 1, 1, kDisabledOpacity)
{
    m_burn.setName("WTF");
    m_export.setName("WTF");
    m_burn.setImage(Tavrel::loadProgramImage("ButtonBurnCD"), kDisabledOpacity);
    m_export.setImage(Tavrel::loadProgramImage("ButtonExport"), kDisabledOpacity);
    if (auto* commands = Tavrel::CommandManager::GetStoredInstance())
    {
        m_burn.setCommandToTrigger(commands, kCommandBurn, false);
        m_export.setCommandToTrigger(commands, kCommandExport, false);
    }
    for (Tavrel::SimpleImageButton* button : {&m_burn, &m_export})
    {
        button->addListener(this);
        addAndMakeVisible(*button);
    }
    setSize(80, 44);
    host.AddListener(this);
    if (auto* exports = Tavrel::ExportManager::GetStoredInstance())
        exports->AddListener(this);
}

ExportAndBurnCD::~ExportAndBurnCD()
{
    m_host.RemoveListener(this);
    if (auto* exports = Tavrel::ExportManager::GetStoredInstance())
        exports->RemoveListener(this);
    m_burn.removeListener(this);
    m_export.removeListener(this);
}

void ExportAndBurnCD::resized()
{
    m_export.setBounds(0, 0, 80, 22);
    m_burn.setBounds(0, 22, 80, 22);
}

BackGroundComponent::BackGroundComponent()
{
    m_top = Tavrel::loadProgramImage("BackGround_top");
    m_strip = Tavrel::loadProgramImage("BackGround_cont");
    m_logo = Tavrel::loadProgramImage("Player_BrenlowLogo");
    setSize(699, 350);
}

void BackGroundComponent::paint(juce::Graphics& g)
{
    const int topHeight = m_top.isValid() ? m_top.getHeight() : 0;
    if (m_top.isValid())
        g.drawImageAt(m_top, 0, 0);
    if (m_strip.isValid())
        for (int y = topHeight; y < getHeight(); ++y)
            g.drawImage(m_strip, 0, y, m_strip.getWidth(), 1, 0, 0, m_strip.getWidth(), 1);
    if (m_logo.isValid())
        g.drawImageAt(m_logo, 611, 32);
}
