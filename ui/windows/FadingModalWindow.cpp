#include "ui/windows/FadingModalWindow.h"

#include "app/commands/CommandManager.h"
#include "ui/widgets/ComponentDresser.h"

#include <memory>

namespace Tavrel
{
FadingModalWindow::FadingModalWindow(int fadeMs)
    : m_fadeMs(fadeMs),
      m_shadower(juce::DropShadow(juce::Colours::black.withAlpha(0.5f), 10, {1, 5}))
{
    setWantsKeyboardFocus(true);
}

FadingModalWindow::~FadingModalWindow() = default;

bool FadingModalWindow::show(FadingModalWindow* window, juce::Component* parent, int width, int height)
{
    std::unique_ptr<FadingModalWindow> owned(window);
    if (owned == nullptr || parent == nullptr || juce::MessageManager::getInstanceWithoutCreating() == nullptr)
        return false;
    FadingModalWindow* shown = owned.release();
    shown->setSize(width, height);
    parent->addAndMakeVisible(shown);
    shown->centreWithSize(width, height);
    shown->m_shadower.setOwner(shown);
    shown->m_shown = true;
    shown->enterModalState(true);
    shown->toFront(true);
    ComponentDresser::fadeIn(shown, shown->m_fadeMs, 0, 1.0f);
    return true;
}

void FadingModalWindow::mouseDown(const juce::MouseEvent&)
{
    close();
}

bool FadingModalWindow::keyPressed(const juce::KeyPress&)
{
    close();
    return false;
}

void FadingModalWindow::inputAttemptWhenModal()
{
    close();
}

void FadingModalWindow::visibilityChanged()
{
    // The framework ends the modal state of a component that is hidden, and
    // the fade-in hides the window behind its image: take it up again when
    // the window itself shows.
    if (!m_shown || m_closing || !isVisible() || isCurrentlyModal(false))
        return;
    enterModalState(true);
    grabKeyboardFocus();
}

void FadingModalWindow::parentHierarchyChanged()
{
    if (!m_shown || m_closing || getParentComponent() != nullptr)
        return;
    m_closing = true;
    exitModalState(0);
    deleteAfterEvent();
}

void FadingModalWindow::deleteAfterEvent()
{
    // The event that closed the window may still be being delivered to it:
    // it goes once that call has returned.
    juce::MessageManager::callAsync([window = juce::Component::SafePointer<FadingModalWindow>(this)] {
        delete window.getComponent();
    });
}

void FadingModalWindow::close()
{
    if (!isVisible() || m_closing)
        return;
    m_closing = true;
    if (juce::Component* parent = getParentComponent())
    {
        juce::Desktop::getInstance().getAnimator().fadeOut(this, m_fadeMs);
        parent->removeChildComponent(this);
    }
    exitModalState(0);
    if (CommandManager* commands = CommandManager::GetStoredInstance())
        commands->commandStatusChanged();
    deleteAfterEvent();
}
} // namespace Tavrel
