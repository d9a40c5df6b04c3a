#pragma once

#include <juce_events/juce_events.h>

#include "session/manager/ExportSession.h"
#include "session/parameters/DiscBurnParameter.h"

class CAudioDiscBurnBase;

namespace Tavrel
{
// Erases the rewritable disc in the selected drive. The burner's own worker
// erases; this session has no thread: a 100 ms timer on the message thread
// polls the burner and reports progress and the end. An erase cannot be
// cancelled. Message thread only.
class DiscEraseSession : public ExportSession, private juce::Timer
{
public:
    // The burner is not owned.
    DiscEraseSession(CAudioDiscBurnBase* burner, const DiscBurnParameter& disc);
    ~DiscEraseSession() override;

    const char* getTitleKey() const override { return kDiscEraseTitleKey; }
    bool start() override;
    void cancel() override {}
    // True only when the erase started and its result is 0.
    bool hasSucceeded() override;
    juce::String getFailureText() override;

    // Why the disc cannot be erased (a UI-string key), or null when it can;
    // fills the songs that use the disc and clears the texts.
    const char* checkDisc(juce::SparseSet<int>& songs, juce::StringArray& texts);

private:
    void timerCallback() override;

    CAudioDiscBurnBase* m_burner;
    DiscBurnParameter m_disc;
    bool m_started = false;
};
} // namespace Tavrel
