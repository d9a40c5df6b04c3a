#include "ui/windows/InternalProcessProgressWindow.h"

#include "app/core/CBJXResource.h"
#include "app/host/CTVHost.h"
#include "engine/audiofile/io/CAudioPlayerInput.h"

namespace Tavrel
{
InternalProcessProgressWindow::InternalProcessProgressWindow()
    : m_host(CTVHost::GetStoredInstance())
{
    m_window = std::make_unique<juce::AlertWindow>(CBJXResource::GetString("Common_ApplicationName"),
                                                   CBJXResource::GetString("Songlist_ReadAudioData"),
                                                   juce::MessageBoxIconType::NoIcon, nullptr);
    m_window->addProgressBarComponent(m_progress);
    m_close = std::make_unique<juce::TextButton>(CBJXResource::GetString("Button_Close"));
    m_close->setSize(kCloseButtonWidth, kCloseButtonHeight);
    // The window would draw a custom component's name above it.
    m_close->setName({});
    m_close->addShortcut(juce::KeyPress(juce::KeyPress::returnKey));
    m_close->addListener(this);
    m_window->addCustomComponent(m_close.get());
    m_window->setVisible(false);
    if (m_host != nullptr)
        m_host->AddListener(this);
}

InternalProcessProgressWindow::~InternalProcessProgressWindow()
{
    if (m_host != nullptr)
        m_host->RemoveListener(this);
    m_close->removeListener(this);
    m_window->removeCustomComponent(0);
    m_window.reset();
}

CAudioPlayerInput* InternalProcessProgressWindow::input() const
{
    if (m_input != nullptr)
        return m_input;
    return m_host != nullptr ? m_host->GetCurrentInput() : nullptr;
}

void InternalProcessProgressWindow::buttonClicked(juce::Button* button)
{
    if (button == m_close.get())
        m_window->setVisible(false);
}

void InternalProcessProgressWindow::positionChanged(CTVHost*)
{
    CAudioPlayerInput* source = input();
    if (source != nullptr && source->IsPreparing())
        m_progress = source->GetPrepareProgress() / 100.0;
    else
        m_window->setVisible(false);
}

void InternalProcessProgressWindow::currentTrackChanged(CTVHost*, int)
{
    update();
}

void InternalProcessProgressWindow::transportStateChanged(CTVHost*, int)
{
    update();
}

void InternalProcessProgressWindow::update()
{
    if (m_host == nullptr || m_host->GetMode() != CTVHost::kPlayerMode ||
        m_host->GetTransportState() == CTVHost::kStopped)
        return;
    CAudioPlayerInput* source = input();
    if (source == nullptr)
        return;
    m_progress = source->GetPrepareProgress() / 100.0;
    if (!source->IsPreparing())
    {
        m_window->setVisible(false);
        return;
    }
    if (!m_window->isOnDesktop())
    {
        m_window->addToDesktop(m_window->getLookAndFeel().getAlertBoxWindowFlags());
        m_window->centreAroundComponent(nullptr, m_window->getWidth(), m_window->getHeight());
    }
    m_window->setVisible(true);
    m_window->toFront(true);
}
} // namespace Tavrel
