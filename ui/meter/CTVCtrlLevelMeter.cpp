#include "ui/meter/CTVCtrlLevelMeter.h"

#include "ui/look/ProgramImages.h"

const std::array<float, CTVCtrlLevelMeter::kSegments> CTVCtrlLevelMeter::kThresholds = {
    -1.5f,  -3.0f,  -4.5f,  -6.0f,  -7.5f,  -9.0f,  -10.5f, -12.0f, -15.0f, -18.0f, -21.0f,
    -24.0f, -27.0f, -30.0f, -33.0f, -36.0f, -39.0f, -42.0f, -45.0f, -48.0f, -51.0f};
const std::array<int, CTVCtrlLevelMeter::kSegments> CTVCtrlLevelMeter::kTops = {
    189, 179, 169, 159, 149, 139, 129, 119, 109, 99, 89, 79, 69, 59, 49, 39, 29, 19, 9, 0, 0};

CTVCtrlLevelMeter::CTVCtrlLevelMeter(const juce::Image& unlit, const juce::Image& lit, int channel)
    : m_unlit(unlit),
      m_lit(lit)
{
    setGroup(1);
    setId(channel);
    setSize(unlit.getWidth(), unlit.getHeight());
}

int CTVCtrlLevelMeter::segmentOf(double level)
{
    for (int i = 0; i < kSegments; ++i)
        if (static_cast<double>(kThresholds[static_cast<size_t>(i)]) < level)
            return i;
    return kSegments;
}

void CTVCtrlLevelMeter::setLevel(double level, int holdMs)
{
    bool changed = false;
    if (level != m_displayed)
    {
        double step = 12.0;
        if (m_displayed >= -6.0)
            step = 1.5;
        else if (m_displayed >= -12.0)
            step = 3.0;
        else if (m_displayed >= -24.0)
            step = 6.0;
        m_displayed = std::max(m_displayed - step, level);
        if (m_displayed < -50.0)
            m_displayed = kSilence;
        changed = true;
    }
    const int index = segmentOf(level);
    const int64_t now = Tavrel::uiClockMs();
    if (index <= m_held)
        m_lastPeak = now;
    if (index < m_held)
    {
        m_held = index;
        changed = true;
    }
    else if (index > m_held && holdMs >= 0 && now - m_lastPeak >= holdMs)
    {
        m_held = index;
        changed = true;
    }
    if (changed)
        repaint();
}

void CTVCtrlLevelMeter::resetPeak()
{
    m_held = kSegments;
    repaint();
}

int CTVCtrlLevelMeter::getLitHeight() const
{
    const int index = segmentOf(m_displayed);
    return index < kSegments ? kTops[static_cast<size_t>(index)] : 0;
}

void CTVCtrlLevelMeter::paint(juce::Graphics& g)
{
    const int width = m_unlit.getWidth();
    const int height = m_unlit.getHeight();
    if (!m_unlit.isValid() || !m_lit.isValid() || width <= 0 || height <= 0)
        return;
    g.setOpacity(isEnabled() ? 1.0f : 0.5f);
    const int lit = getLitHeight();
    if (lit > 0)
        g.drawImage(m_lit, 0, height - lit, width, lit, 0, height - lit, width, lit);
    if (height - lit > 0)
        g.drawImage(m_unlit, 0, 0, width, height - lit, 0, 0, width, height - lit);
    if (m_held < kSegments)
    {
        const int top = kTops[static_cast<size_t>(m_held)];
        const int bottom = m_held + 1 < kSegments ? kTops[static_cast<size_t>(m_held + 1)] : 0;
        if (top > bottom)
            g.drawImage(m_lit, 0, height - top, width, top - bottom, 0, height - top, width, top - bottom);
    }
}

void CTVCtrlLevelMeter::mouseDown(const juce::MouseEvent& e)
{
    if (CBfcComponentListener* listener = getListener())
        listener->mouseDownHook(this, e);
}
