#include "ui/transport/TransportComponent.h"

#include "app/commands/ActionManagerCommand.h"
#include "app/commands/CommandManager.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"
#include "ui/look/ProgramImages.h"

namespace
{
void Dress(Tavrel::FourStateImageButton& button, const char* image)
{
    button.setImage(Tavrel::loadProgramImage(image), 5, 4, 1.0f);
}
} // namespace

TransportComponent::TransportComponent(CTVHost& host)
    : m_host(host),
      m_rewind("Rewind"),
      m_fastForward("FastForward"),
      m_play("Play"),
      m_timeBar(host),
      m_information(host)
{
    Dress(m_rewind, "ButtonRew");
    Dress(m_play, "ButtonPlay");
    Dress(m_fastForward, "ButtonFF");
    for (juce::Button* button : {static_cast<juce::Button*>(&m_rewind), static_cast<juce::Button*>(&m_fastForward),
                                 static_cast<juce::Button*>(&m_play)})
    {
        button->addListener(this);
        addAndMakeVisible(*button);
    }
    m_rewind.setRepeatSpeed(kHoldMs, kHoldMs, -1);
    m_fastForward.setRepeatSpeed(kHoldMs, kHoldMs, -1);
    addAndMakeVisible(m_timeBar);
    addAndMakeVisible(m_information);
    setSize(699, 94);
    host.AddListener(this);
    updateEnabled();
}

TransportComponent::~TransportComponent()
{
    m_host.RemoveListener(this);
    m_rewind.removeListener(this);
    m_fastForward.removeListener(this);
    m_play.removeListener(this);
}

void TransportComponent::resized()
{
    m_rewind.setBounds(24, 29, 26, 26);
    m_play.setBounds(53, 27, 30, 30);
    m_fastForward.setBounds(86, 29, 26, 26);
    m_timeBar.setBounds(25, 71, 644, 30);
    m_information.setBounds(116, 20, 480, 45);
}

int TransportComponent::barXForPress(juce::Point<int> at)
{
    if (at.y < 70 || at.y >= 80)
        return -1;
    if (at.x >= 15 && at.x < 25)
        return 0;
    if (at.x >= 670 && at.x < 680)
        return TimeBar::kRange - 1;
    return -1;
}

void TransportComponent::mouseDown(const juce::MouseEvent& e)
{
    m_barPressX = barXForPress(e.getPosition());
    if (m_barPressX >= 0)
    {
        const juce::MouseEvent onBar = e.getEventRelativeTo(&m_timeBar);
        m_timeBar.mouseDown(onBar.withNewPosition(juce::Point<float>(static_cast<float>(m_barPressX),
                                                                      onBar.position.y)));
    }
}

void TransportComponent::mouseUp(const juce::MouseEvent& e)
{
    if (m_barPressX < 0)
        return;
    const juce::MouseEvent onBar = e.getEventRelativeTo(&m_timeBar);
    m_timeBar.mouseUp(onBar.withNewPosition(juce::Point<float>(static_cast<float>(m_barPressX), onBar.position.y)));
    m_barPressX = -1;
}

void TransportComponent::buttonClicked(juce::Button* button)
{
    if (button == &m_play)
    {
        if (auto* commands = Tavrel::CommandManager::GetStoredInstance())
            commands->invokeDirectly(Tavrel::kCommandPlayPause, false);
        return;
    }
    const bool forward = button == &m_fastForward;
    if (!forward && button != &m_rewind)
        return;
    bool& held = forward ? m_fastForwardHeld : m_rewindHeld;
    if (button->isDown())
    {
        // A repeated click while the button is down: a hold once 300 ms
        // have passed since the press.
        if (!held && Tavrel::uiClockMs() - m_pressTime >= kHoldMs)
        {
            held = true;
            holdStarted(*button, forward);
        }
        return;
    }
    if (held)
    {
        // The click that ends a hold.
        held = false;
        return;
    }
    if (forward)
    {
        m_host.StepTrack(true, false);
        return;
    }
    if (m_host.GetTransportState() != CTVHost::kStopped &&
        m_host.GetPlayer()->GetPosition() >= kRestartAfterSeconds)
        m_host.ReturnToSongStart();
    else
        m_host.StepTrack(false, false);
}

void TransportComponent::holdStarted(juce::Button& button, bool forward)
{
    button.setToggleState(true, juce::dontSendNotification);
    if (m_host.GetTransportState() == CTVHost::kStopped)
        m_host.SetTransportState(CTVHost::kPaused);
    // Sets the player's transport winding when playing, pauses a stopped
    // transport and tells every listener.
    m_host.SetWindState(forward ? CTVHost::kWindForward : CTVHost::kWindRewind);
}

void TransportComponent::holdEnded(juce::Button& button)
{
    button.setToggleState(false, juce::dontSendNotification);
    // The controller moves the position itself on every tick of a paused
    // wind, so nothing is left to apply here: ending the wind plays on when
    // playing and tells every listener.
    if (m_host.GetWindState() != CTVHost::kWindNone)
        m_host.SetWindState(CTVHost::kWindNone);
}

void TransportComponent::buttonStateChanged(juce::Button* button)
{
    if (button != &m_rewind && button != &m_fastForward)
        return;
    if (button->isDown())
    {
        m_pressTime = Tavrel::uiClockMs();
        return;
    }
    if (button->getToggleState())
        holdEnded(*button);
}

void TransportComponent::updateEnabled()
{
    const bool enabled = m_host.GetMode() == CTVHost::kPlayerMode && m_host.GetTrackCount() > 0;
    for (juce::Button* button : {static_cast<juce::Button*>(&m_rewind), static_cast<juce::Button*>(&m_fastForward),
                                 static_cast<juce::Button*>(&m_play)})
        if (button->isEnabled() != enabled)
            button->setEnabled(enabled);
}

void TransportComponent::songListChanged(CTVHost*, int)
{
    updateEnabled();
}

void TransportComponent::controlsEnabledChanged(CTVHost*, int)
{
    // The argument is the controller's mode: the buttons work in player mode
    // only, so a session cannot step songs under its converter.
    updateEnabled();
}

void TransportComponent::windStateChanged(CTVHost*, int state)
{
    m_fastForward.setToggleState(state == CTVHost::kWindForward, juce::dontSendNotification);
    m_rewind.setToggleState(state == CTVHost::kWindRewind, juce::dontSendNotification);
}

void TransportComponent::transportStateChanged(CTVHost*, int state)
{
    const juce::MessageManagerLock lock;
    const Tavrel::TrackInfo* song = m_host.GetTrack(m_host.GetCurrentIndexForMode(CTVHost::kPlayerMode));
    if (m_host.GetMode() == CTVHost::kPlayerMode && song != nullptr && song->readable)
    {
        m_play.setToggleState(state == CTVHost::kPlaying, juce::dontSendNotification);
        windStateChanged(&m_host, m_host.GetWindState());
    }
    else
    {
        m_play.setToggleState(false, juce::dontSendNotification);
    }
}
