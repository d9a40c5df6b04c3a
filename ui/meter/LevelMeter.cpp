#include "ui/meter/LevelMeter.h"

#include "app/commands/ActionManagerCommand.h"
#include "app/commands/CommandManager.h"
#include "app/core/CBJXResource.h"
#include "app/core/CTVResourceManager.h"
#include "app/host/CTVHost.h"
#include "ui/look/ProgramImages.h"

namespace
{
juce::Image Preloaded(const char* name)
{
    const CTVResourceManager* resources = CTVResourceManager::GetStoredInstance();
    return resources != nullptr ? resources->GetImage(name) : Tavrel::loadProgramImage(name);
}
constexpr int kCancelItem = 1;
} // namespace

LevelMeter::LevelMeter(CTVHost& host)
    : m_host(host),
      m_clip("WTF")
{
    const juce::Image unlit = Preloaded("LevelMeterAllOff");
    const juce::Image lit = Preloaded("LevelMeterAllOn");
    for (int channel = 0; channel < 2; ++channel)
    {
        auto bar = std::make_unique<CTVCtrlLevelMeter>(unlit, lit, channel);
        bar->setListener(this);
        bar->setTopLeftPosition(channel == 0 ? 21 : 65, 30);
        addAndMakeVisible(*bar);
        m_bars[static_cast<size_t>(channel)] = std::move(bar);
    }
    m_clip.setImage(Tavrel::loadProgramImage("ButtonClip"), 4, 0, 0.1f);
    m_clip.setBounds(31, 0, 47, 19);
    m_clip.setClickingTogglesState(false);
    m_clip.setToggleState(false, juce::dontSendNotification);
    m_clip.setListener(this);
    m_clip.addListener(this);
    addAndMakeVisible(m_clip);
    m_scale = Tavrel::loadProgramImage("LevelMeter_Level");
    setSize(110, 220);
    host.AddListener(this);
}

LevelMeter::~LevelMeter()
{
    m_host.RemoveListener(this);
    m_clip.removeListener(this);
}

void LevelMeter::paint(juce::Graphics& g)
{
    if (m_scale.isValid())
        g.drawImageAt(m_scale, 47, 30);
}

juce::PopupMenu LevelMeter::createMenu() const
{
    juce::PopupMenu peak;
    juce::PopupMenu clip;
    if (auto* commands = Tavrel::CommandManager::GetStoredInstance())
    {
        for (int id = Tavrel::kCommandPeakHoldFirst; id <= Tavrel::kCommandPeakHoldLast; ++id)
            peak.addCommandItem(commands, id);
        for (int id = Tavrel::kCommandClipHoldFirst; id <= Tavrel::kCommandClipHoldLast; ++id)
            clip.addCommandItem(commands, id);
    }
    juce::PopupMenu menu;
    menu.addSubMenu(CBJXResource::GetString("Menu_Item_PeakHold"), peak);
    menu.addSubMenu(CBJXResource::GetString("Menu_Item_ClipHold"), clip);
    menu.addSeparator();
    menu.addItem(kCancelItem, CBJXResource::GetString("Button_Cancel"));
    return menu;
}

void LevelMeter::reset()
{
    m_clipState = 0;
    m_clip.setToggleState(false, juce::dontSendNotification);
    for (auto& bar : m_bars)
        bar->resetPeak();
}

void LevelMeter::pressed(const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
    {
        // Choosing a hold time runs its command through the menu; "Cancel"
        // does nothing.
        createMenu().showMenuAsync(juce::PopupMenu::Options().withTargetScreenArea(
            juce::Rectangle<int>(e.getScreenX(), e.getScreenY(), 1, 1)));
        return;
    }
    reset();
}

void LevelMeter::mouseDown(const juce::MouseEvent& e)
{
    pressed(e);
}

bool LevelMeter::mouseDownHook(CBfcComponent*, const juce::MouseEvent& e)
{
    pressed(e);
    return false;
}

void LevelMeter::buttonClicked(juce::Button* button)
{
    if (button != &m_clip)
        return;
    // Turning the button off with notification clicks it again; that second
    // pass finds it off and only resets.
    if (m_clip.getToggleState())
        m_clip.setToggleState(false, juce::sendNotificationSync);
    reset();
}

void LevelMeter::levelChanged(CTVHost*, int channel, double levelDb)
{
    if (channel == 0 || channel == 1)
        m_bars[static_cast<size_t>(channel)]->setLevel(levelDb, m_host.GetPeakHoldTime());
}

void LevelMeter::clipStateChanged(CTVHost*, int clip)
{
    const int64_t now = Tavrel::uiClockMs();
    if (clip >= m_clipState)
        m_clipRaised = now;
    if (clip > m_clipState)
        m_clipState = clip;
    else if (clip < m_clipState)
    {
        const int hold = m_host.GetClipHoldTime();
        if (hold >= 0 && now - m_clipRaised >= hold)
            m_clipState = clip;
    }
    m_clip.setToggleState(m_clipState != 0, juce::dontSendNotification);
}
