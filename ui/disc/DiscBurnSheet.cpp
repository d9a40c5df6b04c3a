#include "ui/disc/DiscBurnSheet.h"

#include "app/core/CBJXResource.h"
#include "app/host/CTVHost.h"
#include "disc/CAudioDiscBurnBase.h"
#include "disc/CAudioDiscBurnProxy.h"
#include "disc/CDiscBurnImp.h"
#include "platform/thread/ThreadName.h"
#include "session/export/DiscBurnSession.h"
#include "session/export/DiscEraseSession.h"
#include "session/manager/ExportManager.h"
#include "session/parameters/CommonExportParameter.h"
#include "session/parameters/DiscBurnParameter.h"
#include "ui/widgets/WorkerThreadStop.h"
#include "ui/export/ExportParameterDialog.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"
#include "ui/widgets/ComponentDresser.h"
#include "ui/windows/MessageBoxes.h"

#include <mutex>

namespace Tavrel
{
namespace
{

constexpr const char* kTypeNames[] = {
    "",          "CD-ROM",   "CD-R",       "CD-RW",     "DVD-ROM",    "DVD-R",     "DVD-RAM",
    "DVD-RW",    "DVD+RW",   "DD CD-ROM",  "DD CD-R",   "DD CD-RW",   "DVD+R",     "DVD+R DL",
    "DVD-R DL",  "BD-ROM",   "BD-R",       "BD-RE",     "HD DVD-ROM", "HD DVD-R",  "HD DVD-RW",
};
constexpr int kStopLimitMs = 2000;
constexpr int kBurnStopLimitMs = 10000;

CAudioDiscBurnProxy* Proxy()
{
    ExportManager* exports = ExportManager::GetStoredInstance();
    return exports != nullptr ? exports->getDiscBurnProxy() : nullptr;
}

CAudioDiscBurnBase* Burner()
{
    CAudioDiscBurnProxy* proxy = Proxy();
    return proxy != nullptr ? proxy->GetBurner() : nullptr;
}

// Runs a call on the drive layer under the burner's lock.
template <typename Call>
void WithDrive(Call call)
{
    CAudioDiscBurnBase* burner = Burner();
    if (burner == nullptr)
        return;
    const std::lock_guard<std::recursive_mutex> guard(burner->GetLock().m_section);
    if (CDiscBurnImp* imp = burner->GetBurnImp())
        call(*imp);
}
} // namespace

DiscBurnSheet::DiscBurnSheet(const juce::String& propertyName)
    : juce::Thread("Disc Reload Thread"),
      m_propertyName(propertyName),
      m_common(std::make_unique<CommonExportParameter>()),
      m_disc(std::make_unique<DiscBurnParameter>(Proxy()))
{
    m_group = std::make_unique<juce::GroupComponent>("Option", uiText("Export_Option"));
    m_sourceCaption = makeCaption("Export_Source", 2);
    m_source = std::make_unique<juce::ComboBox>("Source");
    m_formatCaption = makeCaption("DiscBurn_DiscFormat", 2);
    m_format = std::make_unique<juce::ComboBox>("DiscFormat");
    m_driveCaption = makeCaption("DiscBurn_Drive", 2);
    m_drive = std::make_unique<juce::ComboBox>("Drive");
    m_discState = makeCaption("DiscBurn_NoDisc", 2);
    m_eject = std::make_unique<juce::TextButton>(uiText("Button_Eject"));
    m_speedCaption = makeCaption("DiscBurn_WriteSpeed", 2);
    m_speed = std::make_unique<juce::ComboBox>("WriteSpeed");
    m_cancel = std::make_unique<juce::TextButton>(uiText("Button_Cancel"));
    m_erase = std::make_unique<juce::TextButton>(uiText("Button_Erase"));
    m_burn = std::make_unique<juce::TextButton>(uiText("Button_Burn"));
    m_options = std::make_unique<ExportParameterDisplay>(120, 176);
    m_edit = std::make_unique<juce::TextButton>(uiText("Export_Edit"));

    m_comboLook = std::make_unique<ComboBoxLookAndFeel>(m_source.get(), 2);
    for (juce::ComboBox* box : {m_source.get(), m_format.get(), m_drive.get(), m_speed.get()})
    {
        box->setLookAndFeel(m_comboLook.get());
        box->addListener(this);
    }
    for (juce::Component* child :
         {static_cast<juce::Component*>(m_group.get()), static_cast<juce::Component*>(m_sourceCaption.get()),
          static_cast<juce::Component*>(m_source.get()), static_cast<juce::Component*>(m_formatCaption.get()),
          static_cast<juce::Component*>(m_format.get()), static_cast<juce::Component*>(m_driveCaption.get()),
          static_cast<juce::Component*>(m_drive.get()), static_cast<juce::Component*>(m_discState.get()),
          static_cast<juce::Component*>(m_eject.get()), static_cast<juce::Component*>(m_speedCaption.get()),
          static_cast<juce::Component*>(m_speed.get()), static_cast<juce::Component*>(m_cancel.get()),
          static_cast<juce::Component*>(m_erase.get()), static_cast<juce::Component*>(m_burn.get()),
          static_cast<juce::Component*>(m_options.get()), static_cast<juce::Component*>(m_edit.get())})
        addAndMakeVisible(child);

    m_common->AddListener(this);
    m_disc->AddListener(this);
    m_common->bindComponent(m_source.get(), CommonExportParameter::kSource);
    m_disc->bindComponent(m_format.get(), DiscBurnParameter::kDiscFormat);
    m_disc->bindComponent(m_drive.get(), DiscBurnParameter::kDrive);
    m_disc->bindComponent(m_speed.get(), DiscBurnParameter::kWriteSpeed);
    m_options->addRow(uiText("DiscBurn_AlbumTitle") + ":", m_disc.get(), DiscBurnParameter::kAlbumTitle);
    m_options->addRow(uiText("DiscBurn_AlbumArtist") + ":", m_disc.get(), DiscBurnParameter::kAlbumPerformer);
    m_options->addRow(uiText("DiscBurn_GapBetweenSongs") + ":", m_disc.get(), DiscBurnParameter::kGap);
    m_options->addRow(uiText("Export_Normalize") + ":", m_common.get(), CommonExportParameter::kNormalizeMode);
    updateOptionRows();
    for (juce::Button* button : {static_cast<juce::Button*>(m_eject.get()), static_cast<juce::Button*>(m_cancel.get()),
                                 static_cast<juce::Button*>(m_erase.get()), static_cast<juce::Button*>(m_burn.get()),
                                 static_cast<juce::Button*>(m_edit.get())})
        button->addListener(this);
    setSize(360, 392);
}

DiscBurnSheet::~DiscBurnSheet()
{
    stopPolling(kBurnStopLimitMs);
    if (ExportManager* exports = ExportManager::GetStoredInstance())
        exports->RemoveListener(this);
    m_common->RemoveListener(this);
    m_disc->RemoveListener(this);
    // The display unbinds its labels from the sets, so it goes while they
    // exist; then the bound controls leave the sets, then the sets go.
    m_options.reset();
    for (juce::ComboBox* box : {m_source.get(), m_format.get(), m_drive.get(), m_speed.get()})
    {
        m_common->unbindComponent(box);
        m_disc->unbindComponent(box);
        box->setLookAndFeel(nullptr);
    }
    m_common.reset();
    m_disc.reset();
}

juce::String DiscBurnSheet::discStateText(int discType, bool blank)
{
    if (discType < 0)
        return uiText("DiscBurn_NoDisc");
    if (discType == 0 || discType >= static_cast<int>(std::size(kTypeNames)))
        return uiText("DiscBurn_Unknown");
    return juce::String(kTypeNames[discType]) + uiText(blank ? "DiscBurn_Disc_Blank" : "DiscBurn_Disc_Used");
}

void DiscBurnSheet::paint(juce::Graphics& g)
{
    g.setColour(juce::Colour(0xBFFFFFFF));
    g.fillRect(g.getClipBounds());
}

void DiscBurnSheet::resized()
{
    m_group->setBounds(16, 240, 328, 136);
    m_sourceCaption->setBounds(16, 16, 150, 24);
    m_source->setBounds(128, 16, 216, 24);
    m_formatCaption->setBounds(16, 56, 150, 24);
    m_format->setBounds(128, 56, 216, 24);
    m_driveCaption->setBounds(16, 96, 102, 24);
    m_drive->setBounds(128, 96, 216, 24);
    m_discState->setBounds(128, 120, 152, 24);
    m_eject->setBounds(288, 120, 56, 24);
    m_speedCaption->setBounds(16, 160, 112, 24);
    m_speed->setBounds(128, 160, 216, 24);
    m_cancel->setBounds(16, 200, 88, 24);
    m_erase->setBounds(168, 200, 88, 24);
    m_burn->setBounds(256, 200, 88, 24);
    m_options->setTopLeftPosition(32, 264);
    m_edit->setBounds(272, 344, 62, 24);
}

void DiscBurnSheet::startPolling()
{
    m_reload = true;
    if (!isThreadRunning())
    {
        m_runEnded.store(false);
        startThread();
    }
}

void DiscBurnSheet::stopPolling(int limitMs)
{
    m_reload = false;
    stopWorkerThread(*this, limitMs, nullptr, &m_runEnded);
    cancelPendingUpdate();
}

void DiscBurnSheet::run()
{
    qm::platform::setCurrentThreadName(getThreadName().toStdString());
    wait(kPollMs);
    while (!threadShouldExit())
    {
        if (m_reload)
        {
            int type = -1;
            bool blank = false;
            WithDrive([&](CDiscBurnImp& imp) {
                (void)imp.RefreshDiscInfo();
                type = imp.GetDiscType();
                blank = type > 0 && imp.IsDiscBlank();
            });
            const juce::String text = discStateText(type, blank);
            bool changed = false;
            {
                const juce::ScopedLock guard(m_stateLock);
                if (text != m_stateText)
                {
                    m_stateText = text;
                    changed = true;
                }
            }
            if (changed)
                triggerAsyncUpdate();
        }
        wait(kPollMs);
    }
    m_runEnded.store(true, std::memory_order_release);
}

void DiscBurnSheet::handleAsyncUpdate()
{
    juce::String text;
    {
        const juce::ScopedLock guard(m_stateLock);
        text = m_stateText;
    }
    m_discState->setText(text, juce::dontSendNotification);
    ++m_stateUpdates;
    m_disc->updateBoundComponent(DiscBurnParameter::kWriteSpeed);
}

void DiscBurnSheet::sheetWillOpen()
{
    stopPolling(kStopLimitMs);
    m_common->updateBoundEnabledChoices(CommonExportParameter::kSource);
    m_common->loadFromRegistry();
    m_disc->refreshDriveList();
    m_disc->loadFromRegistry();
    m_disc->takeAlbumTextsFromSongs(m_common->getChoiceValue(CommonExportParameter::kSource) == 1);
    {
        const juce::ScopedLock guard(m_stateLock);
        m_stateText = juce::String();
    }
    startPolling();
    if (ExportManager* exports = ExportManager::GetStoredInstance())
        exports->AddListener(this);
    m_burn->addShortcut(juce::KeyPress('b', juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier, 0));
    m_cancel->addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
}

void DiscBurnSheet::sheetDidOpen()
{
    requestGapWarning();
}

void DiscBurnSheet::requestGapWarning()
{
    // The warning runs a modal loop: never inside the callback that asks for
    // it (the end of the slide-in is a timer's, and no timer would run
    // while the loop does).
    juce::Component::SafePointer<DiscBurnSheet> self(this);
    juce::MessageManager::callAsync([self] {
        if (self != nullptr)
            self->showGapWarning();
    });
}

void DiscBurnSheet::sheetWillClose()
{
    m_burn->clearShortcuts();
    m_cancel->clearShortcuts();
    if (ExportManager* exports = ExportManager::GetStoredInstance())
        exports->RemoveListener(this);
}

bool DiscBurnSheet::textRowsShown()
{
    const bool audio = m_disc->getDiscFormatIndex() == 0;
    bool cdText = false;
    WithDrive([&](CDiscBurnImp& imp) { cdText = imp.CanWriteCdText(); });
    return !audio || cdText;
}

void DiscBurnSheet::updateOptionRows()
{
    const bool audio = m_disc->getDiscFormatIndex() == 0;
    const bool text = textRowsShown();
    bool changed = m_options->setRowVisible(m_disc.get(), DiscBurnParameter::kAlbumTitle, text, false);
    changed = m_options->setRowVisible(m_disc.get(), DiscBurnParameter::kAlbumPerformer, text, false) || changed;
    changed = m_options->setRowVisible(m_disc.get(), DiscBurnParameter::kGap, audio, false) || changed;
    if (changed)
        m_options->layOut();
}

void DiscBurnSheet::showGapWarning()
{
    if (!isVisible() || !m_disc->shouldShowDriveWarning())
        return;
    CustomAlertWindow window(uiText("Common_WarningDialogTitle"), uiText("DiscBurn_AudioCdGapSettingsMayFail"),
                             juce::MessageBoxIconType::WarningIcon);
    juce::ToggleButton box(uiText("DiscBurn_AudioCdGapSettingsMayFail_CheckBox"));
    box.setName(juce::String()); // an alert window shows a component's name above it
    box.setSize(24, 24);
    box.changeWidthToFitText();
    window.addCustomComponent(&box);
    window.addButton(uiText("Button_Ok"), 1, juce::KeyPress(juce::KeyPress::returnKey));
    window.runModalLoop();
    window.removeCustomComponent(0);
    if (box.getToggleState())
        m_disc->hideWarningsForCurrentDrive();
}

void DiscBurnSheet::exportParameterChanged(ExportParameter* parameter, int item)
{
    updateOptionRows();
    if (parameter == m_disc.get() && (item == DiscBurnParameter::kDiscFormat || item == DiscBurnParameter::kDrive) &&
        getState() == kOpen)
        requestGapWarning();
}

void DiscBurnSheet::exportParameterComponentChanged(ExportParameter*, int, juce::Component* component)
{
    if (component != nullptr && component->getParentComponent() == this &&
        dynamic_cast<juce::ComboBox*>(component) != nullptr)
        ComponentDresser::flash(component, juce::Colour(kFlashColour));
}

void DiscBurnSheet::buttonClicked(juce::Button* button)
{
    if (button == m_cancel.get())
        cancel();
    else if (button == m_burn.get())
        burn();
    else if (button == m_erase.get())
        erase();
    else if (button == m_eject.get())
        WithDrive([](CDiscBurnImp& imp) { imp.Eject(); });
    else if (button == m_edit.get())
        editOptions();
}

void DiscBurnSheet::cancel()
{
    getProperties().set(m_propertyName, true);
    stopPolling(kStopLimitMs);
    WithDrive([](CDiscBurnImp& imp) { imp.CloseDevice(); });
    close();
}

void DiscBurnSheet::burn()
{
    stopPolling(kBurnStopLimitMs);
    ExportManager* exports = ExportManager::GetStoredInstance();
    // A refused session is destroyed by the manager; it reports its reasons.
    if (exports == nullptr ||
        !exports->startSession(std::make_unique<DiscBurnSession>(Proxy(), *m_disc, *m_common)))
    {
        startPolling();
        return;
    }
    m_common->saveToRegistry();
    m_disc->saveToRegistry();
    getProperties().set(m_propertyName, false);
}

void DiscBurnSheet::erase()
{
    juce::SparseSet<int> songs;
    juce::StringArray texts;
    const char* problem = nullptr;
    {
        // The check's session is ours for the length of the click.
        DiscEraseSession check(Burner(), *m_disc);
        problem = check.checkDisc(songs, texts);
    }
    if (problem != nullptr)
    {
        juce::StringArray names;
        if (CTVHost* host = CTVHost::GetStoredInstance())
            for (int i = 0; i < songs.size(); ++i)
                if (const TrackInfo* song = host->GetTrack(songs[i]))
                    names.add(song->getTextField(TrackInfo::kSongName));
        showOkMessageBox(juce::MessageBoxIconType::WarningIcon, uiText("Common_ErrorDialogTitle"), uiText(problem),
                         names.joinIntoString("\n"));
        return;
    }
    CustomAlertWindow window(uiText("DiscErase_Title"), uiText("DiscErase_Confirmation"),
                             juce::MessageBoxIconType::QuestionIcon);
    juce::ToggleButton quick(uiText("DiscErase_Quick"));
    quick.setName(juce::String());
    quick.setSize(24, 24);
    quick.changeWidthToFitText();
    quick.setToggleState(m_disc->getEraseMode() == 0, juce::dontSendNotification);
    window.addCustomComponent(&quick);
    window.addButton(uiText("Button_Cancel"), 0, juce::KeyPress(juce::KeyPress::escapeKey));
    window.addButton(uiText("Button_Erase"), 1);
    const int answer = window.runModalLoop();
    window.removeCustomComponent(0);
    if (answer != 1)
        return;
    m_reload = false;
    (void)m_disc->selectChoiceByValue(DiscBurnParameter::kEraseMode, quick.getToggleState() ? 0 : 1);
    m_disc->saveItemToRegistry(DiscBurnParameter::kEraseMode);
    ExportManager* exports = ExportManager::GetStoredInstance();
    if (exports == nullptr || !exports->startSession(std::make_unique<DiscEraseSession>(Burner(), *m_disc)))
        m_reload = true;
}

void DiscBurnSheet::editOptions()
{
    ExportParameterDialog dialog(uiText("DiscBurn_Title"), uiText("Export_Option"));
    if (textRowsShown())
    {
        dialog.addLabelRow(uiText("DiscBurn_AlbumTitle"), m_disc.get(), DiscBurnParameter::kAlbumTitle);
        dialog.addLabelRow(uiText("DiscBurn_AlbumArtist"), m_disc.get(), DiscBurnParameter::kAlbumPerformer);
    }
    if (m_disc->getDiscFormatIndex() == 0)
        dialog.addComboBoxRow(uiText("DiscBurn_GapBetweenSongs"), m_disc.get(), DiscBurnParameter::kGap);
    dialog.addComboBoxRow(uiText("Export_Normalize"), m_common.get(), CommonExportParameter::kNormalizeMode);
    if (!dialog.runModal())
        dialog.revert();
}

void DiscBurnSheet::exportSessionStarted(ExportSession* session)
{
    m_reload = false;
    signalThreadShouldExit();
    notify();
    if (!waitForThreadToExit(kStopLimitMs))
        std::fprintf(stderr, "Disc Reload Thread: still in a drive call; it ends on its own\n");
    cancelPendingUpdate();
    if (session != nullptr && juce::String(session->getTitleKey()) == "DiscErase_Title")
        m_cancel->clearShortcuts();
}

void DiscBurnSheet::exportSessionFinished(ExportSession* session, bool)
{
    if (!isVisible())
        return;
    const int drive = m_disc->getDriveIndex();
    WithDrive([drive](CDiscBurnImp& imp) { (void)imp.SelectDevice(drive); });
    // The thread may still be ending its last poll.
    stopWorkerThread(*this, kStopLimitMs, nullptr, &m_runEnded);
    startPolling();
    if (session != nullptr && juce::String(session->getTitleKey()) == "DiscErase_Title")
        m_cancel->addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
}
} // namespace Tavrel
