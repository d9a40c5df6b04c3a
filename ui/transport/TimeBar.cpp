#include "ui/transport/TimeBar.h"

#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "ui/look/ProgramImages.h"

namespace
{
constexpr int kBarX = 5;
constexpr int kBarY = 3;
constexpr int kBarHeight = 8;
} // namespace

TimeBar::TimeBar(CTVHost& host)
    : m_host(host)
{
    m_bar = Tavrel::loadProgramImage("TimeSliderBar");
    m_point = Tavrel::loadProgramImage("TimeSliderPoint");
    setSize(650, 20);
    host.AddListener(this);
    host.AddTrackInfoListenerEntry(this, -1);
    currentTrackChanged(&host, host.GetCurrentIndex());
}

TimeBar::~TimeBar()
{
    m_host.RemoveListener(this);
    m_host.RemoveTrackInfoListenerEntries(this);
}

int TimeBar::getPointX() const
{
    if (!m_hasSong)
        return 1;
    const int p = static_cast<int>(static_cast<float>(kRange) * m_fraction);
    return juce::jlimit(5, kRange - 1, p) - 5;
}

void TimeBar::paint(juce::Graphics& g)
{
    if (!m_bar.isValid() || !m_point.isValid())
        return;
    const int barFrame = m_bar.getHeight() / 3;
    const int pointFrame = m_point.getHeight() / 5;
    const int pointWidth = m_point.getWidth();
    if (!m_hasSong)
    {
        g.drawImage(m_bar, kBarX, kBarY, kRange, kBarHeight, 0, 2 * barFrame, m_bar.getWidth(), barFrame);
        g.drawImage(m_point, 1, 0, pointWidth, pointFrame, 0, 4 * pointFrame, pointWidth, pointFrame);
        return;
    }
    const int p = static_cast<int>(static_cast<float>(kRange) * m_fraction);
    g.drawImage(m_bar, kBarX, kBarY, kRange, kBarHeight, 0, 0, m_bar.getWidth(), barFrame);
    if (p > 0)
        g.drawImage(m_bar, kBarX, kBarY, p, kBarHeight, 0, barFrame, juce::jmin(p, m_bar.getWidth()), barFrame);
    g.drawImage(m_point, getPointX(), 0, pointWidth, pointFrame, 0, 0, pointWidth, pointFrame);
}

void TimeBar::mouseDown(const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
        return;
    const int x = clampX(e.x);
    m_dragging = true;
    m_pressedOnBar = true;
    m_fraction = static_cast<float>(x / static_cast<double>(kRange - 1));
    m_host.SetSeekFraction(x / static_cast<double>(kRange - 1));
    m_host.SetPositionSource(CTVHost::kPositionFromTimeBar);
    repaint();
}

void TimeBar::mouseDrag(const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
        return;
    m_dragging = true;
    const auto fraction = static_cast<float>(clampX(e.x) / static_cast<double>(kRange - 1));
    if (std::abs(fraction - m_fraction) >= kDragThreshold)
    {
        m_fraction = fraction;
        repaint();
    }
}

void TimeBar::mouseUp(const juce::MouseEvent& e)
{
    m_dragging = false;
    if (e.mods.isRightButtonDown() || !m_pressedOnBar)
        return;
    m_pressedOnBar = false;
    m_host.SetPositionFraction(clampX(e.x) / static_cast<double>(kRange - 1));
    m_host.SetPositionSource(CTVHost::kPositionFromTransport);
}

void TimeBar::positionChanged(CTVHost*)
{
    if (!m_hasSong || m_dragging)
        return;
    const float fraction = m_host.GetProgressFraction();
    if (fraction != m_fraction)
    {
        m_fraction = fraction;
        repaint();
    }
}

void TimeBar::currentTrackChanged(CTVHost*, int index)
{
    const Tavrel::TrackInfo* song = m_host.GetTrack(index);
    m_hasSong = song != nullptr && song->readable;
    if (!m_hasSong)
        m_fraction = 0.0f;
    const juce::MessageManagerLock lock;
    repaint();
}

void TimeBar::dataSpecChanged(Tavrel::TrackInfo* track)
{
    // Only the current song decides; a change of another song's record (a
    // row checking its file, say) says nothing about the bar.
    if (track == nullptr || track != m_host.GetTrack(m_host.GetCurrentIndex()))
        return;
    m_hasSong = track->readable;
    repaint();
}
