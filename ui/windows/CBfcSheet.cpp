#include "ui/windows/CBfcSheet.h"

#include "ui/widgets/ComponentDresser.h"

namespace
{
constexpr int kSlideMs = 300;
} // namespace

CBfcSheet::CBfcSheet()
    : m_shadower(juce::DropShadow(juce::Colours::black.withAlpha(0.5f), 10, {1, 5}))
{
    m_shadower.setOwner(this);
}

CBfcSheet::~CBfcSheet()
{
    // A sheet deleted while open must not leave the count raised: the
    // program's commands would stay blocked for the rest of the run.
    if (m_state == kOpen)
        --s_openSheetCount;
    juce::Desktop::getInstance().getAnimator().cancelAnimation(this, false);
}

bool CBfcSheet::open()
{
    if (m_state != kClosed)
        return false;
    sheetWillOpen();

    // The slide-out of the last close may still run; it would move, fade and
    // hide the sheet again when it ends. It leaves the sheet transparent, too.
    juce::Desktop::getInstance().getAnimator().cancelAnimation(this, false);
    setAlpha(1.0f);

    const int areaWidth = getParentComponent() != nullptr
                              ? getParentComponent()->getWidth()
                              : juce::Desktop::getInstance().getDisplays().getTotalBounds(true).getWidth();
    setTopLeftPosition((areaWidth - getWidth()) / 2, 0);

    if (!(isVisible() && juce::Component::getCurrentlyModalComponent() == this))
        enterModalState(true, nullptr, false);

    m_state = kOpening;
    ComponentDresser::fadeIn(this, kSlideMs, getHeight(), 1.0f);
    return true;
}

void CBfcSheet::visibilityChanged()
{
    if (!isVisible() || m_state != kOpening)
        return;
    m_state = kOpen;
    ++s_openSheetCount;
    // The framework ends the modal state of a component that is hidden, and
    // the slide-in hides the sheet behind its moving image: take it up again.
    if (!isCurrentlyModal(false))
        enterModalState(true, nullptr, false);
    grabKeyboardFocus();
    sheetDidOpen();
    CallListeners([this](CBfcSheetListener& listener) { listener.sheetOpened(this); });
}

bool CBfcSheet::close()
{
    if (m_state != kOpen)
        return false;
    sheetWillClose();
    m_state = kClosed;
    {
        const juce::MessageManagerLock lock;
        juce::Desktop::getInstance().getAnimator().animateComponent(this, getBounds().translated(0, -getHeight()), 0.0f,
                                                                    kSlideMs, true, 1.0, 1.0);
    }
    exitModalState(0);
    --s_openSheetCount;
    sheetDidClose();
    CallListeners([this](CBfcSheetListener& listener) { listener.sheetClosed(this); });
    return true;
}

bool CBfcSheet::canModalEventBeSentToComponent(const juce::Component* target)
{
    return dynamic_cast<const juce::TopLevelWindow*>(target) != nullptr;
}
