#include "ui/transport/SongViewers.h"

#include "app/core/TextFormatting.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "ui/look/CTVLookAndFeel.h"

namespace
{
constexpr float kFontSize = 18.0f;

void Dress(juce::Label& label)
{
    label.setEditable(false, false, false);
    label.setInterceptsMouseClicks(false, false);
    label.setJustificationType(juce::Justification::centredLeft);
    label.setColour(juce::Label::textColourId, juce::Colour(0xFFFFFFFF));
    label.setColour(juce::TextEditor::textColourId, juce::Colour(0xFF000000));
    label.setColour(juce::TextEditor::backgroundColourId, juce::Colour(0x00000000));
}

juce::Font KindFont(int kind)
{
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        return look->getFont(kind, kFontSize, juce::Font::bold);
    return juce::Font(kFontSize, juce::Font::bold);
}
} // namespace

SongViewerBase::SongViewerBase(CTVHost& host, int width)
    : m_host(host),
      m_label("new label")
{
    Dress(m_label);
    addAndMakeVisible(m_label);
    setSize(width, 30);
    host.AddListener(this);
    host.AddTrackInfoListenerEntry(this, -2);
}

SongViewerBase::~SongViewerBase()
{
    m_host.RemoveListener(this);
    m_host.RemoveTrackInfoListenerEntries(this);
}

Tavrel::TrackInfo* SongViewerBase::currentSong() const
{
    return m_host.GetTrack(m_host.GetCurrentIndex());
}

void SongViewerBase::setTimeFontFor(int count)
{
    m_label.setFont(KindFont(count != 0 && count != -1 ? 3 : 4));
    m_label.repaint();
}

SongNameViewer::SongNameViewer(CTVHost& host)
    : SongViewerBase(host, 220)
{
    m_label.setFont(KindFont(1));
    refresh();
}

void SongNameViewer::refresh()
{
    const Tavrel::TrackInfo* song = currentSong();
    m_label.setText(song != nullptr ? song->getTextField(Tavrel::TrackInfo::kSongName) : juce::String(),
                    juce::dontSendNotification);
}

SongTimeViewer::SongTimeViewer(CTVHost& host)
    : SongViewerBase(host, 100)
{
    // The font of the list as it is now (letter-spaced while it is empty).
    setTimeFontFor(host.GetTrackCount());
    refresh();
}

void SongTimeViewer::songListChanged(CTVHost*, int count)
{
    setTimeFontFor(count);
    refresh();
}

void SongTimeViewer::refresh()
{
    const Tavrel::TrackInfo* song = currentSong();
    if (song == nullptr)
    {
        m_label.setText(kNoTime, juce::dontSendNotification);
        return;
    }
    const double seconds = song->lengthHours * 3600.0 + song->lengthMinutes * 60.0 + song->lengthSeconds;
    m_label.setText(formatTime(seconds, TimeStyle::Precise), juce::dontSendNotification);
}

SongTimeCounter::SongTimeCounter(CTVHost& host)
    : SongViewerBase(host, 100)
{
    // The font of the list as it is now (letter-spaced while it is empty).
    setTimeFontFor(host.GetTrackCount());
    refresh();
}

void SongTimeCounter::songListChanged(CTVHost*, int count)
{
    setTimeFontFor(count);
    refresh();
}

void SongTimeCounter::refresh()
{
    int hours = 0;
    int minutes = 0;
    float seconds = 0.0f;
    if (currentSong() == nullptr || !m_host.GetPositionForDisplay(hours, minutes, seconds))
    {
        if (currentSong() == nullptr)
            m_label.setText(kNoTime, juce::dontSendNotification);
        return;
    }
    m_label.setText(formatTimeParts(hours, minutes, seconds, TimeStyle::Precise), juce::dontSendNotification);
}

InformationViewer::InformationViewer(CTVHost& host)
    : m_name(host),
      m_length(host),
      m_counter(host),
      m_slash("new label", "/")
{
    Dress(m_slash);
    m_slash.setFont(KindFont(3));
    addAndMakeVisible(m_name);
    addAndMakeVisible(m_length);
    addAndMakeVisible(m_counter);
    addAndMakeVisible(m_slash);
    m_name.setBounds(10, 6, 220, 30);
    m_length.setBounds(364, 8, 107, 30);
    m_counter.setBounds(260, 8, 107, 30);
    m_slash.setBounds(358, 11, 20, 24);
    setSize(480, 45);
}
