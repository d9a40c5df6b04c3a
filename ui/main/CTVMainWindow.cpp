#include "ui/main/CTVMainWindow.h"

#include "app/commands/ActionManager.h"
#include "app/commands/ActionManagerCommand.h"
#include "app/commands/CommandManager.h"
#include "app/commands/SongListActions.h"
#include "app/core/CTVPreferences.h"
#include "app/host/CTVHost.h"
#include "app/songlist/SongListFlows.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"
#include "ui/main/MainComponent.h"
#include "ui/menus/MenuBarManager.h"

namespace
{
constexpr const char* kWidthValue = "MainWindowWidth";
constexpr const char* kHeightValue = "MainWindowHeight";
} // namespace

juce::String CTVMainWindow::captionFor(const juce::File& file, bool modified)
{
    const juce::String name = file.getFullPathName().isEmpty() ? juce::String(kUntitled) : file.getFileName();
    return name + (modified ? "*" : "") + " - " + kProductName;
}

juce::Rectangle<int> CTVMainWindow::placeOnArea(juce::Rectangle<int> area, int width, int height, int captionHeight)
{
    // Halves are truncated towards zero, as the window has always been
    // placed (the framework's own centring rounds differently).
    const int left = area.getX() + (area.getWidth() - width) / 2;
    const int top = area.getY() + (area.getHeight() - captionHeight - height) / 2;
    return {left, top, width, height};
}

CTVMainWindow::CTVMainWindow(CTVHost& host)
    : juce::DocumentWindow(captionFor({}, false), juce::Colour(kBackgroundColour), juce::DocumentWindow::allButtons),
      m_host(host)
{
    setResizable(true, false);
    setUsingNativeTitleBar(true);
    if (CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        juce::LookAndFeel::setDefaultLookAndFeel(look);

    m_commands = Tavrel::CommandManager::GetInstance();
    m_actions = std::make_unique<Tavrel::ActionManager>(this);
    auto main = std::make_unique<Tavrel::MainComponent>(host);
    m_main = main.get();
    m_main->setSize(Tavrel::MainComponent::kWidth, Tavrel::MainComponent::kHeight);
    m_actions->addActionBlocker(m_main);

    if (m_commands != nullptr)
    {
        m_commands->registerAllCommandsForTarget(m_actions.get());
        m_commands->registerAllCommandsForTarget(this);
        m_commands->registerAllCommandsForTarget(m_main);
        if (auto* app = juce::JUCEApplication::getInstance())
            m_commands->registerAllCommandsForTarget(app);
        m_commands->setFirstCommandTarget(m_main);
        addKeyListener(m_commands->getKeyMappings());
    }

    m_menus = std::make_unique<Tavrel::MenuBarManager>(this);
    setMenuBar(m_menus.get(), CTVLookAndFeel::kMenuBarHeight);
    setContentOwned(main.release(), true);

    // The width is that of the fixed content; the height may grow up to the
    // tallest display.
    const int width = getWidth();
    const int minHeight = getHeight();
    int maxHeight = minHeight;
    for (const juce::Displays::Display& display : juce::Desktop::getInstance().getDisplays().displays)
        maxHeight = juce::jmax(maxHeight, display.userArea.getHeight());
    setResizeLimits(width, minHeight, width, maxHeight);

    // A saved width is not used: the content's width is fixed. A saved
    // height of 0 or less is ignored, any other is held within the limits.
    int height = minHeight;
    if (CTVPreferences* preferences = CTVPreferences::GetInstance(); preferences != nullptr && preferences->IsOpen())
    {
        const int saved = preferences->GetInt(kHeightValue, 0);
        if (saved > 0)
            height = juce::jlimit(minHeight, maxHeight, saved);
    }
    CTVPreferences::Release();
    int captionHeight = 0;
    if (auto* peer = getPeer())
        if (auto frame = peer->getFrameSizeIfPresent())
            captionHeight = frame->getTop();
    const juce::Displays::Display* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    const juce::Rectangle<int> area = display != nullptr ? display->userArea : juce::Rectangle<int>(0, 0, 1280, 1024);
    setBounds(placeOnArea(area, width, height, captionHeight));

    juce::Desktop::getInstance().addFocusChangeListener(this);
    m_host.AddListener(this);
    setVisible(true);
    toFront(true);
    if (m_commands != nullptr)
        m_commands->commandStatusChanged();
}

CTVMainWindow::~CTVMainWindow()
{
    m_host.RemoveListener(this);
    juce::Desktop::getInstance().removeFocusChangeListener(this);
    if (CTVPreferences* preferences = CTVPreferences::GetInstance(); preferences != nullptr && preferences->IsOpen())
    {
        preferences->SetInt(kWidthValue, getWidth());
        preferences->SetInt(kHeightValue, getHeight());
    }
    CTVPreferences::Release();
    if (m_commands != nullptr)
    {
        m_commands->setFirstCommandTarget(nullptr);
        removeKeyListener(m_commands->getKeyMappings());
    }
    m_actions->removeActionBlocker(m_main);
    clearContentComponent();
    m_main = nullptr;
    setMenuBar(nullptr);
    m_menus.reset();
    if (m_commands != nullptr)
    {
        m_commands->clearCommands();
        Tavrel::CommandManager::Release();
    }
    m_actions.reset();
}

void CTVMainWindow::closeButtonPressed()
{
    if (auto* app = juce::JUCEApplicationBase::getInstance())
        app->systemRequestedQuit();
    else
        m_main->quitSafely();
}

juce::ApplicationCommandTarget* CTVMainWindow::getNextCommandTarget()
{
    return m_actions.get();
}

void CTVMainWindow::transportStateChanged(CTVHost*, int)
{
    // Fast forward and rewind carry the transport's state in their info.
    if (m_commands != nullptr)
        m_actions->registerWindingCommandsAgain(*m_commands);
}

void CTVMainWindow::songListPathChanged(CTVHost* host, const juce::File& path)
{
    setName(captionFor(path, host != nullptr && host->IsModified()));
}

bool CTVMainWindow::isInterestedInFileDrag(const juce::StringArray&)
{
    return m_host.GetMode() == CTVHost::kPlayerMode;
}

void CTVMainWindow::filesDropped(const juce::StringArray& files, int, int)
{
    if (m_host.GetMode() != CTVHost::kPlayerMode || files.isEmpty())
        return;
    if (files.size() == 1 && files[0].endsWithIgnoreCase(".qmpl") && m_host.GetTrackCount() == 0 &&
        juce::File::isAbsolutePath(files[0]))
        Tavrel::openSonglistFile(juce::File(files[0]), m_host);
    else if (m_commands != nullptr)
        m_commands->performUndoable(new Tavrel::AddSongActionAtEnd(m_host, files), true,
                                    Tavrel::uiText("Action_AddAudioFiles"));
    toFront(true);
}

void CTVMainWindow::releaseKeysAndWinding()
{
    // The window's state changes while it is being built and taken down.
    if (m_actions == nullptr || m_main == nullptr)
        return;
    m_actions->releaseHeldKeys();
    if (m_actions->isWindingKeyHeld() && m_host.GetMode() == CTVHost::kPlayerMode)
        m_actions->stopWinding();
}

void CTVMainWindow::globalFocusChanged(juce::Component*)
{
    if (m_actions == nullptr || m_main == nullptr)
        return;
    const bool mouseDown = juce::ModifierKeys::getCurrentModifiersRealtime().isAnyMouseButtonDown();
    if (mouseDown || !isActiveWindow())
    {
        if (m_leftWasDown || m_rightWasDown)
            m_actions->releaseHeldKeys();
        if (m_actions->isWindingKeyHeld() && m_host.GetMode() == CTVHost::kPlayerMode)
            m_actions->stopWinding();
    }
    m_leftWasDown = juce::KeyPress::isKeyCurrentlyDown(juce::KeyPress::leftKey);
    m_rightWasDown = juce::KeyPress::isKeyCurrentlyDown(juce::KeyPress::rightKey);
}

void CTVMainWindow::activeWindowStatusChanged()
{
    juce::DocumentWindow::activeWindowStatusChanged();
    releaseKeysAndWinding();
}
