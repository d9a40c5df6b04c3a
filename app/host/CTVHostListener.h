#pragma once

#include <juce_core/juce_core.h>

class CTVHost;

// Told by the controller of every change of the song list, the selection,
// the current song, playback and the meters. Slots in this order; every one
// does nothing by default, and canAdvanceToNextTrack answers true. Calls come
// on the message thread.
class CTVHostListener
{
public:
    virtual ~CTVHostListener() = default;

    // 1: a song was inserted or removed, or the list was reordered.
    virtual void songListChanged(CTVHost*, int /*trackCount*/) {}
    // 2: the selection changed; the flag is the caller's, passed through.
    virtual void selectionChanged(CTVHost*, const juce::SparseSet<int>& /*rows*/, int /*flag*/) {}
    // 3: the current song changed (its index by the current-song rule).
    virtual void currentTrackChanged(CTVHost*, int /*index*/) {}
    // 4: after every transport state change, a repeated one included
    // (0 playing, 1 paused, 2 stopped).
    virtual void transportStateChanged(CTVHost*, int /*state*/) {}
    // 5: the wind state was set (0 none, 1 fast-forward, 2 rewind).
    virtual void windStateChanged(CTVHost*, int /*windState*/) {}
    // 6: a cue play started (1 or 2) or ended (0); always from a posted message.
    virtual void hostMessage(CTVHost*, int /*cueState*/) {}
    // 7: every timer tick, channel 0 then 1.
    virtual void levelChanged(CTVHost*, int /*channel*/, double /*levelDb*/) {}
    // 8: every timer tick after the levels: 0, 1 or 2.
    virtual void clipStateChanged(CTVHost*, int /*clip*/) {}
    // 9: every timer tick.
    virtual void positionChanged(CTVHost*) {}
    // 10: the mode changed (0 player mode, controls enabled; 1 session mode).
    virtual void controlsEnabledChanged(CTVHost*, int /*mode*/) {}
    // 11: whether the position lies inside the song changed.
    virtual void positionInsideSongChanged(CTVHost*, bool /*inside*/) {}
    // 12: asked before the timer acts on the end (or start) of a song; every
    // listener must answer true for it to act.
    virtual bool canAdvanceToNextTrack(CTVHost*) { return true; }
    // 13: never called by the controller.
    virtual void reservedHostSlot(CTVHost*) {}
    // 14: the song-list path or the modified flag changed.
    virtual void songListPathChanged(CTVHost*, const juce::File& /*path*/) {}
};
