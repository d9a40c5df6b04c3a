#include "ui/app/CTVApp.h"

#include "app/commands/CommandManager.h"
#include "app/core/CTVPreferences.h"
#include "app/core/CTVResourceManager.h"
#include "app/devices/CTVAudioDeviceManager.h"
#include "app/host/CTVHost.h"
#include "app/songlist/SongListFlows.h"
#include "engine/audiofile/media/CAudioDecodeTempFileManager.h"
#include "platform/instance/SingleInstance.h"
#include "platform/thread/QuitSignals.h"
#include "session/manager/ExportManager.h"
#include "session/parameters/CommonExportParameter.h"
#include "ui/app/DesktopUiServices.h"
#include "ui/app/StartUp.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"
#include "ui/main/CTVMainWindow.h"
#include "ui/main/MainComponentCommand.h"
#include "ui/widgets/LabelWithInlineEditor.h"
#include "ui/windows/DialogManager.h"
#include "ui/windows/MessageBoxes.h"

#include <mutex>

namespace
{
constexpr int kSignalPollMs = 100;

std::mutex g_handOverLock;
std::vector<std::vector<std::string>> g_handOvers;
} // namespace

void CTVApp::receiveHandOver(std::vector<std::string> items)
{
    std::lock_guard<std::mutex> guard(g_handOverLock);
    g_handOvers.push_back(std::move(items));
}

void CTVApp::deliverHandOvers()
{
    std::vector<std::vector<std::string>> waiting;
    {
        std::lock_guard<std::mutex> guard(g_handOverLock);
        waiting.swap(g_handOvers);
    }
    for (const std::vector<std::string>& items : waiting)
    {
        if (items.empty())
            continue;
        const juce::String folder = juce::String::fromUTF8(items[0].c_str());
        juce::StringArray arguments;
        for (size_t i = 1; i < items.size(); ++i)
            arguments.add(juce::String::fromUTF8(items[i].data(), static_cast<int>(items[i].size())));
        HandleCommandLine(arguments, juce::File::isAbsolutePath(folder) ? juce::File(folder)
                                                                        : juce::File::getCurrentWorkingDirectory());
    }
}

CTVApp::CTVApp() = default;
CTVApp::~CTVApp() = default;

void CTVApp::initialise(const juce::String&)
{
    // A quit signal during start-up is answered once the loop runs.
    qm::platform::installQuitSignalHandlers();
    startTimer(kSignalPollMs);
    CTVResourceManager::GetInstance();
    CTVPreferences::GetInstance();
    if (CTVLookAndFeel* look = CTVLookAndFeel::GetInstance())
        juce::LookAndFeel::setDefaultLookAndFeel(look);
    Tavrel::DialogManager::GetInstance();
    // The decoding layer needs no start.
    if (CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetInstance())
        devices->LoadSettings();
    Tavrel::ExportManager::GetInstance();
    host = CTVHost::GetInstance();
    if (host != nullptr)
        host->loadPlayerPreferences();

    // The core's questions and choosers are answered by the user interface
    // from here on.
    uiServices = std::make_unique<Tavrel::DesktopUiServices>();
    Tavrel::UiServices::install(uiServices.get());
    if (host != nullptr)
        mainWindow = std::make_unique<CTVMainWindow>(*host);

    HandleCommandLine(getCommandLineParameterArray(), juce::File::getCurrentWorkingDirectory());
    // There is no input method to switch off here; the in-place editors
    // still keep no undo history of their own.
    LabelWithInlineEditor::setUseUndoDisabledEditors(true);
    checkLastRun();
    startedUp = true;
}

void CTVApp::checkLastRun()
{
    Tavrel::CommonExportParameter common;
    common.loadFromRegistry();
    const juce::String temporaryFolder = common.getItemText(Tavrel::CommonExportParameter::kTempDirectory);
    CAudioDecodeTempFileManager::GetInstance();

    CTVPreferences* preferences = CTVPreferences::GetStoredInstance();
    if (preferences == nullptr || !preferences->IsOpen())
        return;
    if (preferences->GetInt(kNormalQuitValue, -1) != 0)
    {
        preferences->SetInt(kNormalQuitValue, 0);
        return;
    }
    juce::StringArray folders = common.getRecentFolders();
    folders.insert(0, temporaryFolder);
    Tavrel::deleteLeftovers(juce::File::isAbsolutePath(temporaryFolder) ? juce::File(temporaryFolder) : juce::File(),
                            folders);
    const bool restore = showOkCancelBox(juce::MessageBoxIconType::WarningIcon, getApplicationName(),
                                         Tavrel::uiText("Other_RecentlyCrashed").replace("##", "\n"), Tavrel::uiText("Button_Restore"),
                                         Tavrel::uiText("Button_DontRestore"));
    if (restore && host != nullptr)
        Tavrel::restoreLastSession(*host);
}

void CTVApp::shutdown()
{
    stopTimer();
    qm::platform::releaseSingleInstance();
    mainWindow.reset();
    Tavrel::UiServices::install(nullptr);
    uiServices.reset();
    if (host != nullptr)
        host->savePlayerPreferences();
    CTVHost::Release();
    host = nullptr;
    CAudioDecodeTempFileManager::DeleteTempFiles();
    if (CTVPreferences* preferences = CTVPreferences::GetStoredInstance(); preferences != nullptr && preferences->IsOpen())
        preferences->SetInt(kNormalQuitValue, 1);
    Tavrel::ExportManager::Release();
    if (CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance())
        devices->SaveSettings();
    CTVAudioDeviceManager::Release();
    Tavrel::DialogManager::Release();
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    CTVLookAndFeel::Release();
    CTVPreferences::Release();
    CTVResourceManager::Release();
}

void CTVApp::HandleCommandLine(const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    if (host == nullptr)
        return;
    Tavrel::handleCommandLineFiles(Tavrel::commandLineFiles(arguments, workingDirectory), *host, mainWindow.get());
}

void CTVApp::anotherInstanceStarted(const juce::String& commandLine)
{
    juce::StringArray lines = juce::StringArray::fromLines(commandLine);
    if (lines.isEmpty())
        return;
    const juce::String folder = lines[0];
    lines.remove(0);
    HandleCommandLine(lines, juce::File::isAbsolutePath(folder) ? juce::File(folder)
                                                                : juce::File::getCurrentWorkingDirectory());
}

void CTVApp::systemRequestedQuit()
{
    Tavrel::ExportManager* exports = Tavrel::ExportManager::GetStoredInstance();
    if (exports != nullptr && exports->getCurrentSessionKind() != 0)
    {
        if (Tavrel::CommandManager* commands = Tavrel::CommandManager::GetStoredInstance())
            commands->invokeDirectly(Tavrel::kCommandQuitSafely, false);
        return;
    }
    quit();
}

void CTVApp::timerCallback()
{
    if (qm::platform::takeQuitSignal())
        systemRequestedQuit();
    if (startedUp)
        deliverHandOvers();
}
