#pragma once

#include "app/commands/ActionBlocker.h"
#include "app/core/ExportSessionListener.h"
#include "ui/windows/CBfcSheet.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class BackGroundComponent;
class CTVHost;
class CTVLayerList;
class ExportAndBurnCD;
class LevelMeter;
class TransportComponent;

namespace Tavrel
{
class DiscBurnSheet;
class DiscOpenSheet;
class ExportProgressWindow;
class ExportSheet;
class InfoEditorSheet;
class InternalProcessProgressWindow;
class PreferencesSheet;

// The content of the main window (699 x 533): the background, the song-list
// panel, the transport strip, the level meter and the export and burn
// buttons; the song-number and song-name labels of typed song numbers; the
// sheets, made on first use and kept; and the progress window of the session
// that runs. It owns commands 31 to 41 and blocks every command but the
// user's guide and the safe quit while a sheet or an in-place text edit is
// up. Session events become progress windows and message boxes.
// Message thread.
class MainComponent : public juce::Component,
                      public juce::ApplicationCommandTarget,
                      public ActionBlocker,
                      public CBfcSheetListener,
                      public juce::Label::Listener,
                      public ExportSessionListener
{
public:
    static constexpr int kWidth = 699;
    static constexpr int kHeight = 533;
    // The property the export and burn sheets set when cancelled.
    static constexpr const char* kCancelledProperty = "isCancelled";

    explicit MainComponent(CTVHost& host);
    ~MainComponent() override;

    // The quit logic: at once without a session; during one the user is
    // asked (an erase cannot be interrupted).
    void quitSafely();

    juce::Label& getSongIndexLabel() { return *m_songIndex; }
    juce::Label& getSongNameLabel() { return *m_songName; }
    CTVLayerList& getSongListPanel() { return *m_list; }
    ExportSheet* getExportSheet() const { return m_exportSheet.get(); }
    DiscBurnSheet* getDiscBurnSheet() const { return m_burnSheet.get(); }
    DiscOpenSheet* getDiscOpenSheet() const { return m_openSheet.get(); }
    InfoEditorSheet* getInfoEditorSheet() const { return m_infoSheet.get(); }
    PreferencesSheet* getPreferencesSheet() const { return m_preferencesSheet.get(); }
    ExportProgressWindow* getProgressWindow() const { return m_progress.get(); }

    void paint(juce::Graphics& g) override;
    void resized() override;
    bool keyPressed(const juce::KeyPress& key) override;
    void focusOfChildComponentChanged(FocusChangeType cause) override;
    void focusLost(FocusChangeType cause) override;

    // juce::ApplicationCommandTarget
    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands(juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo(juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform(const InvocationInfo& info) override;

    bool isActionBlocked(juce::CommandID commandId) override;
    void sheetClosed(CBfcSheet* sheet) override;
    void labelTextChanged(juce::Label* label) override;

    void exportSessionStarted(ExportSession* session) override;
    void exportSessionProcessingStarted(ExportSession* session) override;
    void exportSessionFinished(ExportSession* session, bool aborted) override;
    void exportSessionError(ExportSession* session, const char* key, const juce::SparseSet<int>& songs,
                            const juce::StringArray& texts) override;
    bool exportSessionWarning(ExportSession* session, const char* key, const juce::SparseSet<int>& songs,
                              const juce::StringArray& texts) override;

private:
    void openSheet(CBfcSheet& sheet);
    bool canOpenSheet(bool playerModeOnly) const;
    void openExportSheet();
    void openBurnSheet();
    void askToCancelSession(int kind);
    void showPropertyViewer();
    void releaseHiddenModalSheets();
    void clearSongNumber();
    juce::String songNames(const juce::SparseSet<int>& rows) const;
    int typedNumber() const;
    bool playerMode() const;

    CTVHost& m_host;
    juce::Image m_strip;
    juce::Image m_bottom;
    std::unique_ptr<BackGroundComponent> m_background;
    std::unique_ptr<CTVLayerList> m_list;
    std::unique_ptr<ExportAndBurnCD> m_exportAndBurn;
    std::unique_ptr<LevelMeter> m_meter;
    std::unique_ptr<TransportComponent> m_transport;
    std::unique_ptr<juce::Label> m_songIndex;
    std::unique_ptr<juce::Label> m_songName;
    std::unique_ptr<InternalProcessProgressWindow> m_readWindow;
    std::unique_ptr<ExportSheet> m_exportSheet;
    std::unique_ptr<DiscBurnSheet> m_burnSheet;
    std::unique_ptr<DiscOpenSheet> m_openSheet;
    std::unique_ptr<InfoEditorSheet> m_infoSheet;
    std::unique_ptr<PreferencesSheet> m_preferencesSheet;
    std::unique_ptr<ExportProgressWindow> m_progress;
};
} // namespace Tavrel
