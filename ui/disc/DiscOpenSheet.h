#pragma once

#include "disc/DiscOpenManager.h"
#include "ui/windows/CBfcSheet.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>

namespace Tavrel
{
// The sheet that lists the audio discs in the drives and adds the tracks of
// the chosen ones to the end of the song list, as one undoable "Open Disc".
// Its "Disc Reload Thread" scans the drives when the sheet opens and again
// on every media change announced by the device-change broadcaster; the
// sheet grows or shrinks in steps to fit the discs. Only the message thread
// touches the components; the thread touches the manager and the scan list,
// and waits while the message thread copies that list. Message thread.
class DiscOpenSheet : public CBfcSheet,
                      public juce::TableListBoxModel,
                      private juce::Timer,
                      public juce::Thread,
                      private juce::AsyncUpdater,
                      public juce::Button::Listener,
                      public juce::MessageListener
{
public:
    static constexpr int kRowHeight = 24;
    static constexpr int kMaxHeight = 360;
    static constexpr int kFixedHeight = 138;
    static constexpr int kStepMs = 20;
    static constexpr juce::uint32 kLineColour = 0x40000000;

    DiscOpenSheet();
    ~DiscOpenSheet() override;

    juce::TableListBox& getTable() { return *m_table; }
    juce::Label& getNoDiscLabel() { return *m_noDisc; }
    juce::TextButton& getOpenButton() { return *m_open; }
    juce::TextButton& getCancelButton() { return *m_cancel; }
    int getShownDiscCount() const { return m_shown.size(); }
    const DiscOpenManager::DiscInfo* getShownDisc(int row) const { return m_shown[row]; }
    // The height the sheet is heading for.
    int getTargetHeight() const { return m_targetHeight; }
    // What a drive's cell shows: the last part of its name.
    static juce::String shortDriveName(const juce::String& drive);

    void paint(juce::Graphics& g) override;
    void resized() override;
    void handleMessage(const juce::Message& message) override;
    void buttonClicked(juce::Button* button) override;

    int getNumRows() override { return m_shown.size(); }
    void paintRowBackground(juce::Graphics& g, int row, int width, int height, bool selected) override;
    void paintCell(juce::Graphics& g, int row, int column, int width, int height, bool selected) override;
    void selectedRowsChanged(int lastRowSelected) override;
    void returnKeyPressed(int lastRowSelected) override;

    void run() override;

protected:
    void sheetWillOpen() override;
    void sheetWillClose() override;

private:
    void timerCallback() override;
    void handleAsyncUpdate() override;
    // A scan found `count` discs: resize towards them, or show them at once.
    void scanArrived(int count);
    void showRows();
    void openSelected();
    static int heightFor(int count);

    std::unique_ptr<DiscOpenManager> m_manager;
    juce::OwnedArray<DiscOpenManager::DiscInfo> m_shown;
    juce::OwnedArray<DiscOpenManager::DiscInfo> m_scanList;
    juce::StringArray m_selection;
    std::atomic<bool> m_reload{false};
    // Set by run as its last step; see stopWorkerThread.
    std::atomic<bool> m_runEnded{true};
    // The message thread has copied the scan list.
    std::atomic<bool> m_copied{false};
    juce::WaitableEvent m_scanEvent;
    int m_targetHeight = kMaxHeight;
    int m_step = 0;
    std::unique_ptr<juce::TextButton> m_open;
    std::unique_ptr<juce::TextButton> m_cancel;
    std::unique_ptr<juce::TableListBox> m_table;
    std::unique_ptr<juce::Label> m_title;
    std::unique_ptr<juce::Label> m_noDisc;
};
} // namespace Tavrel
