#pragma once

#include "app/core/ExportSessionListener.h"
#include "session/parameters/ExportParameterListener.h"
#include "ui/export/ExportParameterDisplay.h"
#include "ui/windows/CBfcSheet.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>

namespace Tavrel
{
class ComboBoxLookAndFeel;
class CommonExportParameter;
class DiscBurnParameter;

// The sheet from which the user burns the song list to an audio CD or
// erases a rewritable disc: source, disc format, drive with the state of its
// disc, write speed and the disc options. Its "Disc Reload Thread" polls the
// drive every 500 ms under the burner's lock and hands the disc-state text
// to the message thread. Burn and Erase hand sessions to the export manager;
// the sheet's component property (named by its creator) is true after Cancel
// and false after a started burn. The buttons are never disabled by the disc
// state: the sessions refuse an unsuitable disc. Message thread, except run.
class DiscBurnSheet : public CBfcSheet,
                      public ExportParameterListener,
                      public ExportSessionListener,
                      public juce::Thread,
                      private juce::AsyncUpdater,
                      public juce::ComboBox::Listener,
                      public juce::Button::Listener
{
public:
    static constexpr int kPollMs = 500;
    static constexpr juce::uint32 kFlashColour = 0x600000FF;

    explicit DiscBurnSheet(const juce::String& propertyName);
    ~DiscBurnSheet() override;

    CommonExportParameter& getCommon() { return *m_common; }
    DiscBurnParameter& getDisc() { return *m_disc; }
    juce::Label& getDiscStateLabel() { return *m_discState; }
    juce::TextButton& getBurnButton() { return *m_burn; }
    juce::TextButton& getCancelButton() { return *m_cancel; }
    juce::TextButton& getEraseButton() { return *m_erase; }
    juce::TextButton& getEjectButton() { return *m_eject; }
    juce::TextButton& getEditButton() { return *m_edit; }
    ExportParameterDisplay& getOptionsDisplay() { return *m_options; }
    // How many times the disc-state label was updated.
    int getStateUpdateCount() const { return m_stateUpdates; }
    bool isPolling() const { return m_reload && isThreadRunning(); }

    // The text of a disc state: the type's name with "(Blank)" or "(Used)",
    // "No Disc" for -1, "Unknown disc type" for 0.
    static juce::String discStateText(int discType, bool blank);

    void paint(juce::Graphics& g) override;
    void resized() override;
    void run() override;

    void buttonClicked(juce::Button* button) override;
    void comboBoxChanged(juce::ComboBox*) override {}
    void exportParameterChanged(ExportParameter* parameter, int item) override;
    void exportParameterComponentChanged(ExportParameter* parameter, int item, juce::Component* component) override;
    void exportSessionStarted(ExportSession* session) override;
    void exportSessionFinished(ExportSession* session, bool aborted) override;

protected:
    void sheetWillOpen() override;
    void sheetDidOpen() override;
    void sheetWillClose() override;

private:
    void handleAsyncUpdate() override;
    void startPolling();
    void stopPolling(int limitMs);
    void updateOptionRows();
    bool textRowsShown();
    void showGapWarning();
    void requestGapWarning();
    void burn();
    void erase();
    void editOptions();
    void cancel();

    const juce::String m_propertyName;
    std::unique_ptr<CommonExportParameter> m_common;
    std::unique_ptr<DiscBurnParameter> m_disc;
    std::unique_ptr<ComboBoxLookAndFeel> m_comboLook;
    std::atomic<bool> m_reload{false};
    // Set by run as its last step; see stopWorkerThread.
    std::atomic<bool> m_runEnded{true};
    // Written by the reload thread, read by the message thread.
    juce::CriticalSection m_stateLock;
    juce::String m_stateText;
    int m_stateUpdates = 0;

    std::unique_ptr<juce::GroupComponent> m_group;
    std::unique_ptr<juce::Label> m_sourceCaption;
    std::unique_ptr<juce::ComboBox> m_source;
    std::unique_ptr<juce::Label> m_formatCaption;
    std::unique_ptr<juce::ComboBox> m_format;
    std::unique_ptr<juce::Label> m_driveCaption;
    std::unique_ptr<juce::ComboBox> m_drive;
    std::unique_ptr<juce::Label> m_discState;
    std::unique_ptr<juce::TextButton> m_eject;
    std::unique_ptr<juce::Label> m_speedCaption;
    std::unique_ptr<juce::ComboBox> m_speed;
    std::unique_ptr<juce::TextButton> m_cancel;
    std::unique_ptr<juce::TextButton> m_erase;
    std::unique_ptr<juce::TextButton> m_burn;
    std::unique_ptr<ExportParameterDisplay> m_options;
    std::unique_ptr<juce::TextButton> m_edit;
};
} // namespace Tavrel
