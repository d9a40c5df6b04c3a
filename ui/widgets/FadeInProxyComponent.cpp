#include "ui/widgets/FadeInProxyComponent.h"

#include "ui/widgets/ComponentDresser.h"

#include <cmath>

FadeInProxyComponent::FadeInProxyComponent(juce::Component& target, int fadeMs, int verticalTravel, float startScale)
    : m_target(&target)
{
    // A length below one millisecond would divide by zero; such a fade ends
    // on its first tick that sees time pass.
    m_fadeMs = static_cast<juce::uint32>(juce::jmax(1, fadeMs));
    const float length = static_cast<float>(m_fadeMs);

    const auto bounds = target.getBounds();
    m_snapshotWidth = bounds.getWidth();
    m_snapshotHeight = bounds.getHeight();
    if (!bounds.isEmpty())
        m_snapshot = target.createComponentSnapshot(target.getLocalBounds(), true, 1.0f);

    setBounds(bounds.getX(), bounds.getY() - verticalTravel, bounds.getWidth(), bounds.getHeight());
    setVisible(true);
    if (auto* parent = target.getParentComponent())
        parent->addChildComponent(this, -1);
    toFront(false);
    target.setVisible(false);

    m_alpha = 0.0f;
    m_alphaPerMs = 1.0f / length;
    m_centreX = static_cast<float>(getX()) + static_cast<float>(getWidth()) * 0.5f;
    m_xPerMs = 0.0f;
    m_centreY = static_cast<float>(getY()) + static_cast<float>(getHeight()) * 0.5f;
    m_yPerMs = static_cast<float>(verticalTravel) / length;
    m_scale = startScale;
    m_scalePerMs = (1.0f - startScale) / length;

    setInterceptsMouseClicks(false, false);
    startTimer(verticalTravel != 0 ? 1000 / 50 : 1000 / 30);
}

FadeInProxyComponent::~FadeInProxyComponent()
{
    stopTimer();
}

void FadeInProxyComponent::paint(juce::Graphics& g)
{
    if (!m_snapshot.isValid())
        return;
    g.setOpacity(juce::jlimit(0.0f, 1.0f, m_alpha));
    g.drawImage(m_snapshot, getLocalBounds().toFloat());
}

void FadeInProxyComponent::timerCallback()
{
    advanceTo(juce::Time::getMillisecondCounter());
}

void FadeInProxyComponent::advanceTo(juce::uint32 now)
{
    if (m_lastTick == 0)
        m_lastTick = now;
    const juce::uint32 elapsed = now > m_lastTick ? now - m_lastTick : 0;
    m_lastTick = now;
    // The values follow from the whole time elapsed rather than being summed
    // tick by tick, so rounding cannot hold the end back by a tick.
    m_elapsedMs += elapsed;
    const float ms = static_cast<float>(m_elapsedMs);
    m_alpha = m_elapsedMs >= m_fadeMs ? 1.0f : juce::jmin(1.0f, m_alphaPerMs * ms);

    if (m_alpha < 1.0f)
    {
        if (m_xPerMs != 0.0f || m_yPerMs != 0.0f || m_scalePerMs != 0.0f)
        {
            const float centreX = m_centreX + m_xPerMs * ms;
            const float centreY = m_centreY + m_yPerMs * ms;
            const float scale = m_scale + m_scalePerMs * ms;
            const int w = juce::roundToInt(static_cast<float>(m_snapshotWidth) * scale);
            const int h = juce::roundToInt(static_cast<float>(m_snapshotHeight) * scale);
            setBounds(juce::roundToInt(centreX) - w / 2, juce::roundToInt(centreY) - h / 2, w, h);
        }
        repaint();
        return;
    }
    finish();
}

void FadeInProxyComponent::finish()
{
    stopTimer();
    setVisible(false);
    if (auto* target = m_target.getComponent())
        target->setVisible(true);
    if (auto* parent = getParentComponent())
        parent->removeChildComponent(this);

    // Showing the target may have run code that deleted it.
    if (auto* target = m_target.getComponent())
    {
        target->getProperties().set(ComponentDresser::kFadingInProperty, "0");
        if (auto* listener = dynamic_cast<juce::MessageListener*>(target))
            listener->postMessage(new ComponentDresser::FadeInEndMessage());
    }
    delete this;
}
