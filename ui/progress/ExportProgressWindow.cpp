#include "ui/progress/ExportProgressWindow.h"

#include "app/core/CBJXResource.h"
#include "session/manager/ExportManager.h"
#include "session/manager/ExportSession.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/windows/CBfcSheet.h"

namespace Tavrel
{
namespace
{
juce::String Text(const char* key)
{
    return CBJXResource::GetString(key);
}
} // namespace

ExportProgressWindow::ExportProgressWindow()
    : m_cancel(Text("Button_Cancel"))
{
    // An alert window shows a custom component's name above it.
    m_cancel.setName(juce::String());
    m_cancel.setSize(88, 24);
    m_cancel.addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
    m_cancel.addListener(this);
    if (ExportManager* exports = ExportManager::GetStoredInstance())
        exports->AddListener(this);
}

ExportProgressWindow::~ExportProgressWindow()
{
    if (ExportManager* exports = ExportManager::GetStoredInstance())
        exports->RemoveListener(this);
    if (m_window != nullptr)
    {
        m_window->exitModalState(0);
        // The buttons are ours, not the window's.
        for (int i = m_window->getNumCustomComponents(); --i >= 0;)
            m_window->removeCustomComponent(i);
    }
    m_cancel.removeListener(this);
    m_window.reset();
}

juce::String ExportProgressWindow::getTitle() const
{
    return Text("Export_Title");
}

void ExportProgressWindow::addButtons(SemiModalAlertWindow& window)
{
    window.addCustomComponent(&m_cancel);
}

void ExportProgressWindow::show()
{
    if (m_window == nullptr)
    {
        m_window = std::make_unique<SemiModalAlertWindow>(getTitle(), juce::String(),
                                                          juce::MessageBoxIconType::NoIcon, this);
        m_window->addProgressBarComponent(m_progress);
        addButtons(*m_window);
    }
    m_window->setAlwaysOnTop(false);
    m_window->setVisible(true);
    if (juce::Component::getCurrentlyModalComponent() != m_window.get())
        m_window->enterModalState(true);
    m_window->toFront(true);
}

void ExportProgressWindow::setMessage(const juce::String& message)
{
    if (m_window == nullptr)
        return;
    m_window->setMessage(message);
    m_window->getProperties().set(CTVLookAndFeel::kAlertMessageProperty, message);
}

void ExportProgressWindow::exportSessionProgress(ExportSession*, double progress, const char* key,
                                                 const juce::StringArray& texts)
{
    m_progress = progress / 100.0;
    if (key != nullptr)
        setMessage(Text(key).replace("%1", texts.isEmpty() ? juce::String() : texts[0]));
}

void ExportProgressWindow::buttonClicked(juce::Button* button)
{
    if (button != &m_cancel)
        return;
    if (ExportManager* exports = ExportManager::GetStoredInstance())
        exports->cancelSession();
}

bool ExportProgressWindow::canModalEventBeSentToComponent(const juce::Component* target, juce::Component*)
{
    return dynamic_cast<const juce::TopLevelWindow*>(target) != nullptr || CBfcSheet::getOpenSheetCount() < 1;
}

DiscBurnProgressWindow::DiscBurnProgressWindow()
    : m_row(std::make_unique<juce::Component>()),
      m_yes(std::make_unique<juce::TextButton>(Text("Button_Yes"))),
      m_no(std::make_unique<juce::TextButton>(Text("Button_No")))
{
    m_row->setSize(224, 24);
    m_no->setBounds(0, 0, 88, 24);
    m_no->addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
    m_no->addShortcut(juce::KeyPress('n'));
    m_yes->setBounds(136, 0, 88, 24);
    m_yes->addShortcut(juce::KeyPress(juce::KeyPress::returnKey));
    m_yes->addShortcut(juce::KeyPress('y'));
    m_row->addAndMakeVisible(*m_no);
    m_row->addAndMakeVisible(*m_yes);
    m_yes->addListener(this);
    m_no->addListener(this);
}

DiscBurnProgressWindow::~DiscBurnProgressWindow()
{
    if (m_window != nullptr)
        for (int i = m_window->getNumCustomComponents(); --i >= 0;)
            m_window->removeCustomComponent(i);
    m_yes->removeListener(this);
    m_no->removeListener(this);
    m_yes.reset();
    m_no.reset();
    m_row.reset();
}

juce::String DiscBurnProgressWindow::getTitle() const
{
    return Text("DiscBurn_Title");
}

void DiscBurnProgressWindow::buttonClicked(juce::Button* button)
{
    if (button == m_yes.get() && m_window != nullptr)
        m_window->exitModalState(1);
    else if (button == m_no.get() && m_window != nullptr)
        m_window->exitModalState(0);
    else
        ExportProgressWindow::buttonClicked(button);
}

void DiscBurnProgressWindow::showQuestionButtons(bool question)
{
    if (m_window == nullptr)
        return;
    for (int i = m_window->getNumCustomComponents(); --i >= 0;)
    {
        juce::Component* custom = m_window->getCustomComponent(i);
        if (custom == &m_cancel || custom == m_row.get())
            m_window->removeCustomComponent(i);
    }
    m_window->addCustomComponent(question ? m_row.get() : static_cast<juce::Component*>(&m_cancel));
}

bool DiscBurnProgressWindow::exportSessionAskRepeat(ExportSession* session)
{
    if (session == nullptr || juce::String(session->getTitleKey()) != "DiscBurn_Title")
        return false;
    show();
    m_progress = 0.0;
    if (session->hasSucceeded())
    {
        m_window->setColour(juce::AlertWindow::textColourId, juce::Colour(0xFF000000));
        setMessage(Text("DiscBurn_Completed"));
        m_yes->setButtonText(Text("Button_Burn"));
        m_no->setButtonText(Text("Button_DontBurn"));
    }
    else
    {
        // The colour goes first: the window lays its text out with it.
        m_window->setColour(juce::AlertWindow::textColourId, juce::Colour(0xFFFF0000));
        // On a line of its own: the failure text ends without a break.
        setMessage(session->getFailureText() + "\n" + Text("DiscBurn_Retry"));
        m_yes->setButtonText(Text("Button_BurnRetry"));
        m_no->setButtonText(Text("Button_Stop"));
    }
    showQuestionButtons(true);
    const bool answer = m_window->runModalLoop() == 1;
    m_window->setVisible(true);
    if (juce::Component::getCurrentlyModalComponent() != m_window.get())
        m_window->enterModalState(true);
    if (answer)
    {
        m_window->setColour(juce::AlertWindow::textColourId, juce::Colour(0xFF000000));
        setMessage(m_window->getProperties()[CTVLookAndFeel::kAlertMessageProperty].toString());
        showQuestionButtons(false);
    }
    return answer;
}

juce::String DiscEraseProgressWindow::getTitle() const
{
    return Text("DiscErase_Title");
}

void DiscEraseProgressWindow::addButtons(SemiModalAlertWindow& window)
{
    window.setEscapeCloses(false);
    window.setWantsKeyboardFocus(true);
}
} // namespace Tavrel
