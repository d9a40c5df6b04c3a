#pragma once

#include "app/core/CBJXListenerOwner.h"

#include <juce_gui_basics/juce_gui_basics.h>

class CBfcSheet;

// Told when a sheet has finished opening and when it has closed.
class CBfcSheetListener
{
public:
    virtual ~CBfcSheetListener() = default;
    virtual void sheetOpened(CBfcSheet*) {}
    virtual void sheetClosed(CBfcSheet*) {}
};

// The base of the program's sheets: a panel that slides down from the top
// edge of its parent, is modal while shown and casts a shadow. A process-wide
// count of open sheets lets the rest of the program block its commands while
// any sheet is open. Message thread only.
class CBfcSheet : public juce::Component, public CBfcListenerOwner<CBfcSheetListener>
{
public:
    enum State
    {
        kClosed = 0,
        kOpening = 1,
        kOpen = 2,
    };

    CBfcSheet();
    ~CBfcSheet() override;

    // Centres the sheet at the top of its parent, makes it modal and slides it
    // in. False when the sheet is not closed.
    bool open();
    // Slides the sheet out and ends its modal state. False unless the sheet
    // is open (a sheet still sliding in cannot be closed).
    bool close();

    int getState() const { return m_state; }

    // The number of sheets that are open now.
    static int getOpenSheetCount() { return s_openSheetCount; }

    void visibilityChanged() override;
    // Top-level windows (message boxes) keep working while a sheet is modal.
    bool canModalEventBeSentToComponent(const juce::Component* target) override;

protected:
    virtual void sheetWillOpen() {}
    virtual void sheetDidOpen() {}
    virtual void sheetWillClose() {}
    virtual void sheetDidClose() {}

private:
    static inline int s_openSheetCount = 0;

    int m_state = kClosed;
    juce::DropShadower m_shadower;
};
