#pragma once

#include "app/host/CTVHostListener.h"
#include "app/songlist/TrackInfoListener.h"

#include <juce_gui_basics/juce_gui_basics.h>

class CTVHost;

// The one-line displays of the current song in the transport strip: its
// name, its play position and its length, each a label filling the viewer.
// The current song is the controller's song at its current index for its
// mode. Each viewer follows the controller and the current song; the
// registrations go with it. Message thread.
class SongViewerBase : public juce::Component, public CTVHostListener, public Tavrel::TrackInfoListener
{
public:
    // What a time display shows without a current song.
    static constexpr const char* kNoTime = "--:--:--.---";

    ~SongViewerBase() override;
    juce::Label& getLabel() { return m_label; }

    void resized() override { m_label.setBounds(getLocalBounds()); }

protected:
    SongViewerBase(CTVHost& host, int width);
    // The current song, or null.
    Tavrel::TrackInfo* currentSong() const;
    // Shows the text the viewer has to show now.
    virtual void refresh() = 0;
    // Font kind 3 (a list with songs) or 4 (letter-spaced, an empty list) at
    // 18 points, bold.
    void setTimeFontFor(int count);

    CTVHost& m_host;
    juce::Label m_label;
};

class SongNameViewer : public SongViewerBase
{
public:
    explicit SongNameViewer(CTVHost& host);

    void currentTrackChanged(CTVHost*, int) override { refresh(); }
    void textChanged(Tavrel::TrackInfo*, int) override { refresh(); }
    void dataSpecChanged(Tavrel::TrackInfo*) override { refresh(); }

protected:
    void refresh() override;
};

class SongTimeViewer : public SongViewerBase
{
public:
    explicit SongTimeViewer(CTVHost& host);

    void currentTrackChanged(CTVHost*, int) override { refresh(); }
    void textChanged(Tavrel::TrackInfo*, int) override { refresh(); }
    void songListChanged(CTVHost*, int count) override;

protected:
    void refresh() override;
};

class SongTimeCounter : public SongViewerBase
{
public:
    explicit SongTimeCounter(CTVHost& host);

    void currentTrackChanged(CTVHost*, int) override { refresh(); }
    void textChanged(Tavrel::TrackInfo*, int) override { refresh(); }
    void songListChanged(CTVHost*, int count) override;
    void positionChanged(CTVHost*) override { refresh(); }

protected:
    void refresh() override;
};

// The three viewers with a "/" between position and length; 480 x 45.
class InformationViewer : public juce::Component
{
public:
    explicit InformationViewer(CTVHost& host);

    SongNameViewer& getNameViewer() { return m_name; }
    SongTimeCounter& getCounter() { return m_counter; }
    SongTimeViewer& getLengthViewer() { return m_length; }

private:
    SongNameViewer m_name;
    SongTimeViewer m_length;
    SongTimeCounter m_counter;
    juce::Label m_slash;
};
