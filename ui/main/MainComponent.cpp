#include "ui/main/MainComponent.h"

#include "app/commands/ActionManagerCommand.h"
#include "app/commands/CommandManager.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "session/manager/ExportManager.h"
#include "session/manager/ExportSession.h"
#include "ui/disc/DiscBurnSheet.h"
#include "ui/disc/DiscOpenSheet.h"
#include "ui/export/ExportSheet.h"
#include "ui/info/InfoEditorSheet.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/ProgramImages.h"
#include "ui/look/UiText.h"
#include "ui/main/ExportAndBurnCD.h"
#include "ui/main/MainComponentCommand.h"
#include "ui/menus/ShortcutKeyEditor.h"
#include "ui/meter/LevelMeter.h"
#include "ui/preferences/PreferencesSheet.h"
#include "ui/progress/ExportProgressWindow.h"
#include "ui/property/SongPropertyViewer.h"
#include "ui/songlist/CTVLayerList.h"
#include "ui/transport/TransportComponent.h"
#include "ui/widgets/ComponentDresser.h"
#include "ui/windows/InternalProcessProgressWindow.h"
#include "ui/windows/MessageBoxes.h"

namespace Tavrel
{
namespace
{
constexpr int kNoSession = 0;
constexpr int kExportSession = 1;
constexpr int kBurnSession = 2;
constexpr int kEraseSession = 3;
constexpr int kLabelFadeInMs = 200;
constexpr int kLabelFadeOutMs = 500;

ExportManager* exportManager()
{
    return ExportManager::GetStoredInstance();
}

int runningKind()
{
    ExportManager* exports = exportManager();
    return exports != nullptr ? exports->getCurrentSessionKind() : kNoSession;
}

// The kind of a session by its title (the manager's running kind is that of
// the session it relays events of).
int kindOf(ExportSession* session)
{
    return session != nullptr ? getExportSessionKindOfTitleKey(session->getTitleKey()) : runningKind();
}

// A key's text with "%1" filled and the "##" line breaks of the table.
juce::String keyText(const char* key, const juce::StringArray& texts)
{
    return uiText(key).replace("%1", texts.isEmpty() ? juce::String() : texts[0]).replace("##", "\n");
}

std::unique_ptr<juce::Label> makeNumberLabel(const char* name, float fontHeight)
{
    auto label = std::make_unique<juce::Label>(name, juce::String());
    label->setJustificationType(juce::Justification::centred);
    label->setColour(juce::Label::textColourId, juce::Colour(0xA0FFFFFF));
    label->setColour(juce::Label::backgroundColourId, juce::Colour(0xD0000000));
    label->setFont(juce::Font(fontHeight));
    label->setInterceptsMouseClicks(false, false);
    return label;
}
} // namespace

MainComponent::MainComponent(CTVHost& host)
    : m_host(host),
      m_strip(loadProgramImage("WindowBackGround")),
      m_bottom(loadProgramImage("BackGround_bottom"))
{
    m_background = std::make_unique<BackGroundComponent>();
    m_list = std::make_unique<CTVLayerList>(host);
    m_exportAndBurn = std::make_unique<ExportAndBurnCD>(host);
    m_meter = std::make_unique<LevelMeter>(host);
    m_transport = std::make_unique<TransportComponent>(host);
    m_background->setTopLeftPosition(0, 0);
    m_list->setTopLeftPosition(43, 99);
    m_exportAndBurn->setTopLeftPosition(604, 337);
    m_meter->setTopLeftPosition(590, 108);
    m_transport->setTopLeftPosition(0, 0);
    for (juce::Component* child : {static_cast<juce::Component*>(m_background.get()),
                                   static_cast<juce::Component*>(m_list.get()),
                                   static_cast<juce::Component*>(m_exportAndBurn.get()),
                                   static_cast<juce::Component*>(m_meter.get()),
                                   static_cast<juce::Component*>(m_transport.get())})
        addAndMakeVisible(child);

    m_songIndex = makeNumberLabel("LabelSongIndex", 72.0f);
    m_songIndex->addListener(this);
    m_songName = makeNumberLabel("LabelSongName", 32.0f);
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        m_songName->setFont(look->getFont(2, 32.0f, juce::Font::plain));
    addChildComponent(*m_songIndex);
    addChildComponent(*m_songName);

    m_readWindow = std::make_unique<InternalProcessProgressWindow>();
    setWantsKeyboardFocus(true);
    setSize(kWidth, kHeight);
    if (ExportManager* exports = exportManager())
        exports->AddListener(this);
}

MainComponent::~MainComponent()
{
    if (ExportManager* exports = exportManager())
        exports->RemoveListener(this);
    m_progress.reset();
    for (CBfcSheet* sheet : {static_cast<CBfcSheet*>(m_exportSheet.get()), static_cast<CBfcSheet*>(m_burnSheet.get())})
        if (sheet != nullptr)
            sheet->RemoveListener(this);
    m_preferencesSheet.reset();
    m_infoSheet.reset();
    m_openSheet.reset();
    m_burnSheet.reset();
    m_exportSheet.reset();
    m_readWindow.reset();
    m_songIndex->removeListener(this);
}

bool MainComponent::playerMode() const
{
    return m_host.GetMode() == CTVHost::kPlayerMode;
}

void MainComponent::paint(juce::Graphics& g)
{
    if (m_strip.isValid())
        for (int y = 0; y < getHeight(); y += juce::jmax(1, m_strip.getHeight()))
            g.drawImageAt(m_strip, 0, y);
    if (m_bottom.isValid())
        g.drawImageAt(m_bottom, 0, getHeight() - m_bottom.getHeight());
}

void MainComponent::resized()
{
    m_list->setSize(m_list->getWidth(), getHeight() - m_list->getY() - 12);
    m_songIndex->setBounds(0, 0, getWidth(), 80);
    m_songName->setBounds(0, 80, getWidth(), 40);
}

// ---- commands

juce::ApplicationCommandTarget* MainComponent::getNextCommandTarget()
{
    return findFirstTargetParentComponent();
}

void MainComponent::getAllCommands(juce::Array<juce::CommandID>& commands)
{
    for (juce::CommandID id = kCommandOpenDisc; id <= kCommandFileInfo; ++id)
        commands.add(id);
}

void MainComponent::getCommandInfo(juce::CommandID id, juce::ApplicationCommandInfo& result)
{
    const CTVHost::TransportCommandStates states = m_host.GetTransportCommandStates();
    const int kind = runningKind();
    const bool player = states.playerMode;
    const bool editable = !states.listEmpty && player;
    const int ctrl = juce::ModifierKeys::commandModifier;
    const int shift = juce::ModifierKeys::shiftModifier;
    const int alt = juce::ModifierKeys::altModifier;
    const juce::String file = uiText("Menu_Name_File");
    const juce::String edit = uiText("Menu_Name_Edit");
    bool enabled = true;
    switch (id)
    {
    case kCommandOpenDisc:
        result.setInfo(uiText("Menu_Item_OpenDisc"), {}, file, 0);
        result.addDefaultKeypress('o', juce::ModifierKeys(ctrl | alt));
        enabled = player;
        break;
    case kCommandExport:
        if (kind == kExportSession)
            result.setInfo(uiText("Menu_Item_ExportCancel"), {}, file, 0);
        else
        {
            result.setInfo(uiText("Menu_Item_Export"), {}, file, 0);
            enabled = !states.listEmpty && kind != kBurnSession;
        }
        result.addDefaultKeypress('e', juce::ModifierKeys(ctrl | shift));
        break;
    case kCommandBurnDisc:
        if (kind == kBurnSession)
            result.setInfo(uiText("Menu_Item_BurnDiscCancel"), {}, file, 0);
        else
        {
            result.setInfo(uiText("Menu_Item_BurnDisc"), {}, file, 0);
            enabled = !states.listEmpty && kind != kExportSession;
        }
        result.addDefaultKeypress('b', juce::ModifierKeys(ctrl | shift));
        break;
    case kCommandQuitSafely:
        result.setInfo("Quit Safely", {}, file, 0);
        break;
    case kCommandSelectAll:
        result.setInfo(uiText("Menu_Item_SelectAll"), {}, edit, 0);
        result.addDefaultKeypress('a', juce::ModifierKeys(ctrl));
        enabled = editable;
        break;
    case kCommandInvertSelection:
        result.setInfo(uiText("Menu_Item_InvertSongSelection"), {}, edit, 0);
        enabled = editable;
        break;
    case kCommandEditSongName:
        result.setInfo(uiText("Menu_Item_EditSongName"), {}, edit, 0);
        result.addDefaultKeypress(juce::KeyPress::F2Key, juce::ModifierKeys());
        result.addDefaultKeypress(juce::KeyPress::returnKey, juce::ModifierKeys(ctrl));
        enabled = editable;
        break;
    case kCommandBatchEdit:
        result.setInfo(uiText("Menu_Item_BatchEditMetaData"), {}, edit, 0);
        result.addDefaultKeypress('i', juce::ModifierKeys(ctrl | shift));
        enabled = editable;
        break;
    case kCommandPreferences:
        result.setInfo(uiText("Menu_Item_Preferences"), {}, edit, 0);
        result.addDefaultKeypress(',', juce::ModifierKeys(ctrl));
        enabled = player;
        break;
    case kCommandShortcutKeys:
        result.setInfo(uiText("Menu_Item_EditShortcutKeys"), {}, edit, 0);
        break;
    case kCommandFileInfo:
        result.setInfo(uiText("Menu_Item_Property"), {}, uiText("Menu_Name_View"), 0);
        enabled = states.selectionNotEmpty;
        break;
    default:
        return;
    }
    result.setActive(enabled && !isActionBlocked(id));
}

bool MainComponent::perform(const InvocationInfo& info)
{
    switch (info.commandID)
    {
    case kCommandOpenDisc:
        if (canOpenSheet(true))
        {
            if (m_openSheet == nullptr)
            {
                m_openSheet = std::make_unique<DiscOpenSheet>();
                addChildComponent(*m_openSheet);
            }
            openSheet(*m_openSheet);
        }
        return true;
    case kCommandExport:
        if (runningKind() == kExportSession)
            askToCancelSession(kExportSession);
        else
            openExportSheet();
        return true;
    case kCommandBurnDisc:
        if (runningKind() == kBurnSession)
            askToCancelSession(kBurnSession);
        else
            openBurnSheet();
        return true;
    case kCommandQuitSafely:
        quitSafely();
        return true;
    case kCommandSelectAll:
        m_list->selectAll();
        return true;
    case kCommandInvertSelection:
    {
        const juce::SparseSet<int> selected = m_host.GetSelection();
        juce::SparseSet<int> inverted;
        for (int row = 0; row < m_host.GetTrackCount(); ++row)
            if (!selected.contains(row))
                inverted.addRange({row, row + 1});
        m_host.SetSelection(inverted, 0);
        return true;
    }
    case kCommandEditSongName:
        m_list->editSongName();
        return true;
    case kCommandBatchEdit:
        if (canOpenSheet(true))
        {
            if (m_infoSheet == nullptr)
            {
                m_infoSheet = std::make_unique<InfoEditorSheet>();
                addChildComponent(*m_infoSheet);
            }
            openSheet(*m_infoSheet);
        }
        return true;
    case kCommandPreferences:
        if (canOpenSheet(false))
        {
            if (m_preferencesSheet == nullptr)
            {
                m_preferencesSheet = std::make_unique<PreferencesSheet>();
                addChildComponent(*m_preferencesSheet);
            }
            if (CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
                look->setChooseDirectoryText(uiText("Juce_ChooseFolder_Win").replace("%1", uiText("Pref_TempFolder")));
            openSheet(*m_preferencesSheet);
        }
        return true;
    case kCommandShortcutKeys:
        ShortcutKeyEditor::showShortcutKeyEditor(this);
        return true;
    case kCommandFileInfo:
        showPropertyViewer();
        return true;
    default:
        return false;
    }
}

bool MainComponent::isActionBlocked(juce::CommandID id)
{
    if (id == kCommandUsersGuide || id == kCommandQuitSafely)
        return false;
    if (CBfcSheet::getOpenSheetCount() > 0)
        return true;
    return dynamic_cast<juce::Label*>(juce::Component::getCurrentlyModalComponent()) != nullptr;
}

bool MainComponent::canOpenSheet(bool playerModeOnly) const
{
    return CBfcSheet::getOpenSheetCount() == 0 && (!playerModeOnly || playerMode());
}

void MainComponent::openSheet(CBfcSheet& sheet)
{
    (void)sheet.open();
}

void MainComponent::openExportSheet()
{
    if (!canOpenSheet(true))
        return;
    if (m_exportSheet == nullptr)
    {
        m_exportSheet = std::make_unique<ExportSheet>(kCancelledProperty);
        m_exportSheet->AddListener(this);
        addChildComponent(*m_exportSheet);
    }
    if (CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        look->setChooseDirectoryText(uiText("Juce_ChooseFolder_Win").replace("%1", uiText("Export_Destination")));
    openSheet(*m_exportSheet);
}

void MainComponent::openBurnSheet()
{
    if (!canOpenSheet(true))
        return;
    ExportManager* exports = exportManager();
    if (exports == nullptr || !exports->hasUsableDrive())
    {
        showOkMessageBox(juce::MessageBoxIconType::WarningIcon, uiText("Common_ErrorDialogTitle"),
                         uiText("DiscBurn_DriveNotFound"));
        return;
    }
    if (m_burnSheet == nullptr)
    {
        m_burnSheet = std::make_unique<DiscBurnSheet>(kCancelledProperty);
        m_burnSheet->AddListener(this);
        addChildComponent(*m_burnSheet);
    }
    openSheet(*m_burnSheet);
}

void MainComponent::askToCancelSession(int kind)
{
    ExportManager* exports = exportManager();
    if (exports == nullptr)
        return;
    if (ExportSession* session = exports->getStoredSession())
        session->pause();
    const bool stop =
        showOkCancelBox(juce::MessageBoxIconType::QuestionIcon, uiText("Common_ConfirmationDialogTitle"),
                        uiText(kind == kExportSession ? "Export_Cancel" : "DiscBurn_Cancel"), uiText("Button_Stop"),
                        uiText("Button_Continue"));
    if (stop)
        exports->cancelSession();
    // A cancelled session ends anyway; resuming lets its thread see the cancel.
    if (ExportSession* session = exports->getStoredSession())
        session->resume();
}

void MainComponent::showPropertyViewer()
{
    juce::DialogWindow::LaunchOptions options;
    options.content.setOwned(new SongPropertyViewer());
    options.dialogTitle = uiText("Menu_Item_Property");
    options.componentToCentreAround = this;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = false;
    options.runModal();
}

void MainComponent::releaseHiddenModalSheets()
{
    for (CBfcSheet* sheet : {static_cast<CBfcSheet*>(m_exportSheet.get()), static_cast<CBfcSheet*>(m_burnSheet.get()),
                             static_cast<CBfcSheet*>(m_openSheet.get()), static_cast<CBfcSheet*>(m_infoSheet.get()),
                             static_cast<CBfcSheet*>(m_preferencesSheet.get())})
        if (sheet != nullptr && !sheet->isVisible() && sheet->isCurrentlyModal(false))
            sheet->exitModalState(0);
}

void MainComponent::sheetClosed(CBfcSheet* sheet)
{
    if (sheet == nullptr || (sheet != m_exportSheet.get() && sheet != m_burnSheet.get()))
        return;
    sheet->getProperties().remove(kCancelledProperty);
    if (CommandManager* commands = CommandManager::GetStoredInstance())
        commands->commandStatusChanged();
}

// ---- the quit logic

void MainComponent::quitSafely()
{
    ExportManager* exports = exportManager();
    const int kind = runningKind();
    if (exports == nullptr || kind == kNoSession)
    {
        CTVHost::QuitApplication();
        return;
    }
    if (ExportSession* session = exports->getStoredSession())
        session->pause();
    if (m_progress != nullptr && m_progress->getWindow() != nullptr && m_progress->getWindow()->isCurrentlyModal(false))
        m_progress->getWindow()->exitModalState(0);

    bool yes = false;
    if (kind == kEraseSession)
    {
        showOkMessageBox(juce::MessageBoxIconType::WarningIcon, uiText("DiscErase_Title"),
                         uiText("DiscErase_CannotShutdown"));
    }
    else
    {
        const bool exporting = kind == kExportSession;
        yes = showOkCancelBox(juce::MessageBoxIconType::QuestionIcon,
                              uiText(exporting ? "Export_Title" : "DiscBurn_Title"),
                              uiText(exporting ? "Export_CancelAndShutdown" : "DiscBurn_CancelAndShutdown"),
                              uiText("Button_Yes"), uiText("Button_No"));
    }
    releaseHiddenModalSheets();
    if (yes)
    {
        if (runningKind() != kNoSession)
        {
            // The controller quits when it hears that the session has ended.
            m_host.SetQuitAfterSession(true);
            exports->cancelSession();
        }
        else
        {
            CTVHost::QuitApplication();
        }
    }
    if (ExportSession* session = exports->getStoredSession())
        session->resume();
}

// ---- session events

void MainComponent::exportSessionStarted(ExportSession* session)
{
    m_progress.reset();
    const int kind = kindOf(session);
    if (kind == kExportSession && session != nullptr && session->isNormalizeOn())
        m_progress = std::make_unique<ExportProgressWindow>();
    else if (kind == kBurnSession)
        m_progress = std::make_unique<DiscBurnProgressWindow>();
    else if (kind == kEraseSession)
        m_progress = std::make_unique<DiscEraseProgressWindow>();
    if (m_progress == nullptr)
        return;
    m_progress->show();
    if (SemiModalAlertWindow* window = m_progress->getWindow())
        window->centreAroundComponent(getTopLevelComponent(), window->getWidth(), window->getHeight());
}

void MainComponent::exportSessionProcessingStarted(ExportSession* session)
{
    const int kind = kindOf(session);
    if (kind == kExportSession)
    {
        m_progress.reset();
        if (m_exportSheet != nullptr && m_exportSheet->getState() == CBfcSheet::kOpen)
            m_exportSheet->close();
    }
    else if (kind == kBurnSession)
    {
        if (m_burnSheet != nullptr && m_burnSheet->getState() == CBfcSheet::kOpen)
            m_burnSheet->close();
    }
    releaseHiddenModalSheets();
}

void MainComponent::exportSessionFinished(ExportSession* session, bool aborted)
{
    m_progress.reset();
    if (session == nullptr)
        return;
    const int kind = kindOf(session);
    juce::String text;
    if (kind == kExportSession && !aborted)
        text = uiText("Export_Completed");
    else if (kind == kEraseSession)
        text = session->hasSucceeded() ? uiText("DiscErase_Completed") : session->getFailureText();
    const juce::String title = uiText(session->getTitleKey());
    if (session->isNormalizeGainDetected())
    {
        const juce::String question = uiText("Export_ApplyNormalizedGain");
        const bool load = showOkCancelBox(juce::MessageBoxIconType::QuestionIcon, title,
                                          text.isEmpty() ? question : text, uiText("Button_Apply"),
                                          uiText("Button_DontApply"), text.isEmpty() ? juce::String() : question);
        if (load)
            session->applyNormalizedGain();
    }
    else if (text.isNotEmpty())
    {
        showOkMessageBox(session->hasSucceeded() ? juce::MessageBoxIconType::NoIcon
                                                 : juce::MessageBoxIconType::WarningIcon,
                         title, text);
    }
    releaseHiddenModalSheets();
}

juce::String MainComponent::songNames(const juce::SparseSet<int>& rows) const
{
    juce::StringArray names;
    for (int i = 0; i < rows.size(); ++i)
        if (const TrackInfo* song = m_host.GetTrack(rows[i]))
            names.add(song->getTextField(TrackInfo::kSongName));
    return names.joinIntoString("\n");
}

void MainComponent::exportSessionError(ExportSession*, const char* key, const juce::SparseSet<int>& songs,
                                       const juce::StringArray& texts)
{
    if (key == nullptr)
        return;
    showOkMessageBox(juce::MessageBoxIconType::WarningIcon, uiText("Common_ErrorDialogTitle"), keyText(key, texts),
                     songNames(songs));
}

bool MainComponent::exportSessionWarning(ExportSession*, const char* key, const juce::SparseSet<int>& songs,
                                         const juce::StringArray& texts)
{
    if (key == nullptr)
        return true;
    const bool replace = juce::String(key) == "Export_AlreadyExists";
    return showOkCancelBox(juce::MessageBoxIconType::WarningIcon, uiText("Common_WarningDialogTitle"),
                           keyText(key, texts), uiText(replace ? "Button_Replace" : "Button_Continue"),
                           uiText("Button_Stop"), songNames(songs));
}

// ---- typed song numbers

int MainComponent::typedNumber() const
{
    return m_songIndex->getText().getIntValue();
}

void MainComponent::clearSongNumber()
{
    if (m_songIndex->getText().isNotEmpty())
        m_songIndex->setText({}, juce::sendNotificationSync);
}

bool MainComponent::keyPressed(const juce::KeyPress& key)
{
    if (isCurrentlyBlockedByAnotherModalComponent())
        return false;
    const int code = key.getKeyCode();
    if (code == juce::KeyPress::upKey || code == juce::KeyPress::downKey)
        return m_list->keyPressed(key);
    if (!playerMode())
        return false;
    const juce::String number = m_songIndex->getText();
    const juce::juce_wchar c = key.getTextCharacter();
    if (c >= '0' && c <= '9' && !key.getModifiers().isCommandDown() && !key.getModifiers().isAltDown())
    {
        if (number.isEmpty() && c == '0')
            return true;
        const juce::String longer = number + juce::String::charToString(c);
        if (m_host.IsValidTrackIndex(longer.getIntValue() - 1))
            m_songIndex->setText(longer, juce::sendNotificationSync);
        return true;
    }
    if ((c == '+' || c == '-') && number.isNotEmpty())
    {
        const int stepped = juce::jlimit(1, juce::jmax(1, m_host.GetTrackCount()), typedNumber() + (c == '+' ? 1 : -1));
        m_songIndex->setText(juce::String(stepped), juce::sendNotificationSync);
        return true;
    }
    if (code == juce::KeyPress::deleteKey || code == juce::KeyPress::backspaceKey)
    {
        if (number.isEmpty())
            return false;
        m_songIndex->setText(number.dropLastCharacters(1), juce::sendNotificationSync);
        return true;
    }
    if (code == juce::KeyPress::escapeKey)
    {
        if (number.isEmpty())
            return false;
        clearSongNumber();
        return true;
    }
    if (code == juce::KeyPress::returnKey && !key.getModifiers().isAnyModifierKeyDown())
    {
        if (number.isEmpty())
            return m_list->keyPressed(key);
        const int row = typedNumber() - 1;
        auto& animator = juce::Desktop::getInstance().getAnimator();
        animator.fadeOut(m_songIndex.get(), kLabelFadeOutMs);
        animator.fadeOut(m_songName.get(), kLabelFadeOutMs);
        clearSongNumber();
        if (playerMode() && m_host.IsValidTrackIndex(row))
        {
            m_host.StopPlayback();
            m_host.SetCurrentTrack(row, true, true);
            m_host.SetTransportState(CTVHost::kPlaying);
        }
        return true;
    }
    return false;
}

void MainComponent::labelTextChanged(juce::Label* label)
{
    if (label != m_songIndex.get())
        return;
    const juce::String number = m_songIndex->getText();
    const TrackInfo* song = number.isEmpty() ? nullptr : m_host.GetTrack(number.getIntValue() - 1);
    const juce::String name = song != nullptr ? song->getTextField(TrackInfo::kSongName) : juce::String();
    m_songName->setText(name, juce::dontSendNotification);
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        m_songName->setFont(CTVLookAndFeel::fontForText(name, look->getFont(2, 32.0f, juce::Font::plain)));
    if (number.isEmpty())
    {
        m_songIndex->setVisible(false);
        m_songName->setVisible(false);
        return;
    }
    for (juce::Label* shown : {m_songIndex.get(), m_songName.get()})
        if (!shown->isVisible())
            ComponentDresser::fadeIn(shown, kLabelFadeInMs, 0, 1.0f);
}

void MainComponent::focusOfChildComponentChanged(FocusChangeType)
{
    clearSongNumber();
}

void MainComponent::focusLost(FocusChangeType)
{
    clearSongNumber();
}
} // namespace Tavrel
