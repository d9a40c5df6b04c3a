#include "ui/songlist/CTVLayerList.h"

#include "app/commands/ActionManagerCommand.h"
#include "app/commands/CommandManager.h"
#include "app/commands/ValueActions.h"
#include "app/core/CBJXResource.h"
#include "app/core/CTVResourceManager.h"
#include "app/core/UiServices.h"
#include "app/host/CTVHost.h"
#include "app/songlist/GainRounding.h"
#include "app/songlist/TrackInfo.h"
#include "ui/songlist/CTVListItem.h"

#include <cmath>

namespace
{
struct ButtonPlace
{
    const char* image;
    int x;
    int command;
};
const ButtonPlace kCommandButtons[] = {
    {"ButtonAdd", 18, Tavrel::kCommandAdd},        {"ButtonRemove", 70, Tavrel::kCommandRemoveSongs},
    {"ButtonCombine", 126, Tavrel::kCommandCombine}, {"ButtonDivideForAU", 178, Tavrel::kCommandDivide},
    {"ButtonChLink", 230, Tavrel::kCommandChannelLink},
};
constexpr int kButtonY = 11;

struct LabelPlace
{
    juce::Rectangle<int> bounds;
    juce::Justification justification;
    const char* text;
};
const LabelPlace kLabels[] = {
    {{467, 51, 44, 15}, juce::Justification::centredRight, ""},
    {{467, 77, 62, 14}, juce::Justification::centred, ""},
    {{489, 102, 32, 15}, juce::Justification::centredRight, ""},
    {{489, 127, 32, 15}, juce::Justification::centredRight, ""},
    {{507, 52, 24, 13}, juce::Justification::centredLeft, "dB"},
    {{517, 102, 12, 15}, juce::Justification::centredLeft, "s"},
    {{517, 127, 12, 15}, juce::Justification::centredLeft, "s"},
};
const char* const kAllowed[] = {"+-0123456789.", "lLcCrR+-0123456789", "0123456789.", "0123456789."};
// The drag step of each field: gain, balance, fade-in time, fade-out time.
constexpr float kDragSteps[] = {0.1f, 0.01f, 0.1f, 0.1f};
constexpr int kListBoxX = 11;
constexpr int kListBoxY = 57;
constexpr int kListBoxWidth = 386;
constexpr int kListBoxHeight = 155;

juce::Image ResourceImage(const char* name)
{
    const CTVResourceManager* resources = CTVResourceManager::GetStoredInstance();
    return resources != nullptr ? resources->GetImage(name) : juce::Image();
}
} // namespace

// Carries the session-mode current song to the message thread.
class CTVLayerList::CurrentTrackMessage final : public juce::Message
{
public:
    explicit CurrentTrackMessage(int row)
        : index(row)
    {
    }
    const int index;
};

CTVLayerList::CTVLayerList(CTVHost& host)
    : m_host(host)
{
    m_back = ResourceImage("LayerListBack");
    m_backTop = ResourceImage("LayerListBackTop");
    m_backBottom = ResourceImage("LayerListBackBottom");
    m_numberBox = ResourceImage("LayerListNumberBox");

    auto* commands = Tavrel::CommandManager::GetStoredInstance();
    for (size_t i = 0; i < m_commandButtons.size(); ++i)
    {
        const juce::Image image = ResourceImage(kCommandButtons[i].image);
        auto button = std::make_unique<Tavrel::SimpleImageButton>(image, 3, 0, 1, 2, 1.0f);
        button->setName("ListLayerButton");
        button->setBounds(kCommandButtons[i].x, kButtonY, image.getWidth(), image.getHeight() / 3);
        if (commands != nullptr)
            button->setCommandToTrigger(commands, kCommandButtons[i].command, false);
        button->setEnabled(false);
        addAndMakeVisible(*button);
        m_commandButtons[i] = std::move(button);
    }
    m_commandButtons[kAddButton]->setEnabled(true);

    m_repeatButton = std::make_unique<MatrixImageButton>("RepeatButton", ResourceImage("ButtonRepeat"), 2);
    m_repeatButton->setTopLeftPosition(427, kButtonY);
    m_repeatButton->setState(host.GetRepeat() ? 1 : 0);
    m_repeatButton->addListener(this);
    addAndMakeVisible(*m_repeatButton);
    m_playModeButton = std::make_unique<MatrixImageButton>("PlayModeButton", ResourceImage("ButtonPlayMode"), 3);
    m_playModeButton->setTopLeftPosition(479, kButtonY);
    m_playModeButton->setState(host.GetPlayMode());
    m_playModeButton->addListener(this);
    addAndMakeVisible(*m_playModeButton);

    const char* fadeImages[] = {"ButtonFadeIn", "ButtonFadeOut"};
    for (size_t i = 0; i < m_fadeButtons.size(); ++i)
    {
        auto button = std::make_unique<CBfcCtrlButton>();
        button->setName("Button");
        button->setImage(4, ResourceImage(fadeImages[i]));
        button->setTopLeftPosition(468, i == 0 ? 100 : 125);
        button->setGroup(0);
        button->setId(static_cast<int>(i));
        button->setListener(this);
        addAndMakeVisible(*button);
        m_fadeButtons[i] = std::move(button);
    }

    m_valueContainer.setBounds(0, 0, 529, 142);
    m_valueContainer.setFocusContainerType(juce::Component::FocusContainerType::focusContainer);
    m_valueContainer.setInterceptsMouseClicks(false, true);
    addAndMakeVisible(m_valueContainer);
    for (size_t i = 0; i < m_labels.size(); ++i)
    {
        auto label = std::make_unique<LabelWithInlineEditor>("Label", kLabels[i].text);
        label->setGroup(2);
        label->setId(static_cast<int>(i));
        label->setListener(this);
        label->setBounds(kLabels[i].bounds);
        label->setJustificationType(kLabels[i].justification);
        label->setFont(juce::Font("Arial", label->getFont().getHeight(), juce::Font::plain));
        label->setBorderSize(juce::BorderSize<int>(0, 1, 0, 1));
        label->setColour(juce::Label::textColourId, juce::Colours::black);
        label->setColour(juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        label->setColour(juce::Label::outlineColourId, juce::Colours::transparentBlack);
        label->setColour(juce::TextEditor::textColourId, juce::Colours::black);
        label->setColour(juce::TextEditor::highlightedTextColourId, juce::Colours::black);
        label->setColour(juce::TextEditor::highlightColourId, juce::Colour(0xFFB5D5FF));
        label->setColour(juce::TextEditor::focusedOutlineColourId, juce::Colours::transparentBlack);
        label->setColour(juce::TextEditor::shadowColourId, juce::Colours::transparentBlack);
        if (i < 4)
        {
            label->setWantsKeyboardFocus(true);
            label->setFocusContainerType(juce::Component::FocusContainerType::focusContainer);
            label->setEditable(false, true, true);
            label->setInputRestrictions(0, kAllowed[i]);
            m_valueContainer.addAndMakeVisible(*label);
        }
        else
        {
            addAndMakeVisible(*label);
        }
        m_labels[i] = std::move(label);
    }

    m_listBox = std::make_unique<CTVListBox>("ListBox", host);
    m_listBox->setListener(this);
    m_listBox->setMultipleSelectionEnabled(true);
    m_listBox->getVerticalScrollBar().setAutoHide(false);
    m_listBox->getVerticalScrollBar().addComponentListener(this);
    m_listBox->setBounds(kListBoxX, kListBoxY, kListBoxWidth, kListBoxHeight);
    addAndMakeVisible(*m_listBox);

    setWantsKeyboardFocus(true);
    setSize(m_back.isValid() ? m_back.getWidth() : 540, 400);

    host.AddListener(this);
    host.AddTrackInfoListenerEntry(this, -1);
    m_listBox->showSelection(host.GetSelection());
    showValues();
    updateCommandButtons();
}

CTVLayerList::~CTVLayerList()
{
    m_host.RemoveListener(this);
    m_host.RemoveTrackInfoListenerEntries(this);
    m_listBox->getVerticalScrollBar().removeComponentListener(this);
    m_repeatButton->removeListener(this);
    m_playModeButton->removeListener(this);
}

void CTVLayerList::selectAll()
{
    m_listBox->selectRangeOfRows(0, m_host.GetTrackCount() - 1);
}

void CTVLayerList::editSongName()
{
    m_listBox->editSelectedName();
}

bool CTVLayerList::isDraggingValue() const
{
    for (const bool started : m_dragStarted)
        if (started)
            return true;
    return false;
}

juce::String CTVLayerList::balanceText(float balance)
{
    if (balance == 0.0f)
        return "C";
    const float v = balance * 100.0f;
    if (v > 0.0f)
        return "R" + juce::String(static_cast<int>(v + 0.5f));
    return "L" + juce::String(static_cast<int>(0.5f - v));
}

float CTVLayerList::parseBalance(const juce::String& text)
{
    const juce::String signedText = text.replaceCharacter('L', '-')
                                        .replaceCharacter('l', '-')
                                        .removeCharacters("Rr");
    return static_cast<float>(signedText.getIntValue()) / 100.0f;
}

juce::String CTVLayerList::gainText(float gain)
{
    if (gain > 0.0f)
        return "+" + juce::String::formatted("%.1f", static_cast<double>(gain));
    // No "-0.0" for a gain that rounds to zero.
    const double shown = std::abs(gain) < 0.05f ? 0.0 : static_cast<double>(gain);
    return juce::String::formatted("%.1f", shown);
}

bool CTVLayerList::keyPressed(const juce::KeyPress& key)
{
    return m_listBox->keyPressed(key);
}

void CTVLayerList::resized()
{
    const int bottom = m_backBottom.isValid() ? m_backBottom.getHeight() : 0;
    m_listBox->setBounds(m_listBox->getX(), m_listBox->getY(), m_listBox->getWidth(),
                         juce::jmax(0, getHeight() - bottom - m_listBox->getY()));
    m_listBox->updateContent();
}

void CTVLayerList::paint(juce::Graphics& g)
{
    const int topHeight = m_backTop.isValid() ? m_backTop.getHeight() : 0;
    const int bottomHeight = m_backBottom.isValid() ? m_backBottom.getHeight() : 0;
    if (m_backTop.isValid())
        g.drawImageAt(m_backTop, 0, 0);
    if (m_back.isValid())
        for (int y = topHeight; y <= getHeight() - bottomHeight - 1; ++y)
            g.drawImage(m_back, 0, y, m_back.getWidth(), 1, 0, 0, m_back.getWidth(), 1);
    if (m_backBottom.isValid())
        g.drawImageAt(m_backBottom, 0, getHeight() - bottomHeight);
}

void CTVLayerList::paintOverChildren(juce::Graphics& g)
{
    const int x = m_listBox->getX();
    const float bottom = static_cast<float>(m_listBox->getBottom());
    g.setColour(juce::Colour(kSeparatorColour));
    for (const int column : {40, 217, 276, 365})
        g.drawLine(static_cast<float>(x + column), 36.0f, static_cast<float>(x + column), bottom);
    g.setColour(juce::Colours::black);
    const float top = static_cast<float>(m_listBox->getY() - 1);
    g.drawLine(static_cast<float>(x - 1), top, static_cast<float>(x + m_listBox->getWidth() + 1), top);
}

void CTVLayerList::componentVisibilityChanged(juce::Component& component)
{
    if (&component == &m_listBox->getVerticalScrollBar() && !component.isVisible())
        component.setVisible(true);
}

void CTVLayerList::buttonClicked(juce::Button* button)
{
    if (button == m_repeatButton.get())
    {
        m_repeatButton->setState((m_repeatButton->getState() + 1) % 2);
        m_host.SetRepeat(m_repeatButton->getState() == 1);
    }
    else if (button == m_playModeButton.get())
    {
        m_playModeButton->setState((m_playModeButton->getState() + 1) % 3);
        // Sets the transport's repeat flag and rebuilds the shuffle order.
        m_host.SetPlayMode(m_playModeButton->getState());
    }
}

int CTVLayerList::targetOfField(int field)
{
    switch (field)
    {
    case kGainField: return Tavrel::TrackInfo::kGain;
    case kBalanceField: return Tavrel::TrackInfo::kBalance;
    case kFadeInField: return Tavrel::TrackInfo::kFadeInTime;
    case kFadeOutField: return Tavrel::TrackInfo::kFadeOutTime;
    default: return -1;
    }
}

float CTVLayerList::readField(int field) const
{
    const juce::String text = m_labels[static_cast<size_t>(field)]->getText();
    return field == kBalanceField ? parseBalance(text) : text.getFloatValue();
}

void CTVLayerList::setFieldText(int field, const juce::String& text)
{
    LabelWithInlineEditor& label = *m_labels[static_cast<size_t>(field)];
    label.hideEditor(true);
    label.setText(text, juce::dontSendNotification);
}

void CTVLayerList::applyValue(int target, float value, bool undoable)
{
    auto* commands = Tavrel::CommandManager::GetStoredInstance();
    const juce::SparseSet<int> rows = m_listBox->getSelectedRows();
    if (rows.isEmpty())
        return;
    if (undoable)
    {
        if (commands == nullptr)
            return;
        const juce::String name = CBJXResource::GetString("Action_Change")
                                      .replace("%1", CBJXResource::GetString(CTVActionChangeValue::GetTargetKey(target)));
        (void)commands->performUndoable(new Tavrel::SelectionRetriever(&m_host), true, name);
    }
    for (int i = 0; i < rows.size(); ++i)
    {
        auto* action = new CTVActionChangeValue(&m_host);
        if (CTVActionChangeValue::IsFloatTarget(target))
            action->setFloatValue(rows[i], target, value);
        else
            action->setIntValue(rows[i], target, static_cast<int>(value));
        bool done = false;
        if (undoable)
        {
            done = commands->performUndoable(action, false, {});
        }
        else
        {
            done = action->perform();
            delete action;
        }
        // A refused change beeps for its song; the others keep theirs.
        if (!done)
            Tavrel::UiServices::get().beep();
    }
}

void CTVLayerList::clicked(CBfcComponent* c)
{
    if (c == nullptr || c->getGroup() != 0 || c->getId() < 0 || c->getId() > 1)
        return;
    const CBfcCtrlButton& button = *m_fadeButtons[static_cast<size_t>(c->getId())];
    const int state = button.getState();
    const int type = state == 3 ? 0 : (state + 1) % 3;
    applyValue(c->getId() == 0 ? Tavrel::TrackInfo::kFadeInType : Tavrel::TrackInfo::kFadeOutType,
               static_cast<float>(type), true);
}

void CTVLayerList::returnKeyPressed(CBfcComponent* c)
{
    if (c == nullptr || c->getGroup() != 2 || c->getId() < 0 || c->getId() > 3)
        return;
    const int field = c->getId();
    const juce::String text = m_labels[static_cast<size_t>(field)]->getText().trim();
    // An empty field (a selection of differing values) applies nothing:
    // Return without typing must not set every song to 0.
    if (text.isEmpty())
    {
        showValues();
        return;
    }
    applyValue(targetOfField(field), field == kBalanceField ? parseBalance(text) : text.getFloatValue(), true);
    showValues();
}

bool CTVLayerList::mouseDownHook(CBfcComponent* c, const juce::MouseEvent& e)
{
    if (c == nullptr || c->getGroup() != 2 || c->getId() > 3 || !e.mods.isLeftButtonDown())
        return false;
    const auto field = static_cast<size_t>(c->getId());
    m_dragStart[field] = readField(c->getId());
    m_dragStarted[field] = false;
    m_directChanges = false;
    return false;
}

bool CTVLayerList::mouseDragHook(CBfcComponent* c, const juce::MouseEvent& e)
{
    if (c == nullptr || c->getGroup() != 2 || c->getId() > 3 || !e.mods.isLeftButtonDown())
        return false;
    const auto* label = dynamic_cast<juce::Component*>(c);
    if (label == nullptr || !label->isEnabled() || m_listBox->getNumSelectedRows() == 0)
        return false;
    const auto field = static_cast<size_t>(c->getId());
    const float value = m_dragStart[field] - static_cast<float>(e.getDistanceFromDragStartY()) * kDragSteps[field];
    const bool first = !m_dragStarted[field];
    applyValue(targetOfField(c->getId()), value, first);
    if (!first)
        m_directChanges = true;
    m_dragStarted[field] = true;
    return false;
}

bool CTVLayerList::mouseUpHook(CBfcComponent* c, const juce::MouseEvent&)
{
    if (c == nullptr || c->getGroup() != 2 || c->getId() > 3)
        return false;
    m_dragStarted[static_cast<size_t>(c->getId())] = false;
    // The later steps of the drag were applied directly: the recovery copy
    // must catch the value the drag ended with.
    if (m_directChanges)
        if (auto* commands = Tavrel::CommandManager::GetStoredInstance())
            commands->noteDirectChanges();
    m_directChanges = false;
    return false;
}

void CTVLayerList::selectedRowsChanged(CBfcComponent*, int)
{
    {
        const juce::MessageManagerLock lock;
        m_host.SetSelection(m_listBox->getSelectedRows(), 0);
    }
    showValues();
    updateCommandButtons();
}

void CTVLayerList::showValues()
{
    const juce::SparseSet<int> rows = m_listBox->getSelectedRows();
    std::vector<Tavrel::TrackInfo*> songs;
    for (int i = 0; i < rows.size(); ++i)
        if (Tavrel::TrackInfo* song = m_host.GetTrack(rows[i]))
            songs.push_back(song);
    if (songs.empty())
    {
        for (int field = 0; field < 4; ++field)
        {
            setFieldText(field, {});
            m_labels[static_cast<size_t>(field)]->setEnabled(false);
        }
        for (auto& button : m_fadeButtons)
            button->setEnabled(false);
        return;
    }
    const bool session = m_host.GetMode() == CTVHost::kSessionMode;
    auto shownGain = [&](const Tavrel::TrackInfo* song) {
        return session && song->normalizeGainValid ? roundGainDb(song->gain + song->normalizeGain, false) : song->gain;
    };
    const Tavrel::TrackInfo* first = songs.front();
    bool sameGain = true, sameFadeInType = true, sameFadeIn = true, sameFadeOutType = true, sameFadeOut = true;
    bool sameBalance = true, allStereo = first->channels == 2, withNormalized = session && first->normalizeGainValid;
    for (size_t i = 1; i < songs.size(); ++i)
    {
        const Tavrel::TrackInfo* song = songs[i];
        sameGain = sameGain && shownGain(song) == shownGain(first);
        sameFadeInType = sameFadeInType && song->fadeInType == first->fadeInType;
        sameFadeIn = sameFadeIn && song->fadeInTime == first->fadeInTime;
        sameFadeOutType = sameFadeOutType && song->fadeOutType == first->fadeOutType;
        sameFadeOut = sameFadeOut && song->fadeOutTime == first->fadeOutTime;
        sameBalance = sameBalance && song->balance == first->balance;
        allStereo = allStereo && song->channels == 2;
    }
    for (const int field : {kGainField, kFadeInField, kFadeOutField})
        m_labels[static_cast<size_t>(field)]->setEnabled(true);
    for (auto& button : m_fadeButtons)
        button->setEnabled(true);
    m_labels[kBalanceField]->setEnabled(allStereo);

    setFieldText(kGainField, sameGain ? gainText(shownGain(first)) : juce::String());
    const juce::Colour gainColour = withNormalized && sameGain ? juce::Colour(kNormalizedGainColour) : juce::Colours::black;
    m_labels[kGainField]->setColour(juce::Label::textColourId, gainColour);
    m_labels[4]->setColour(juce::Label::textColourId, gainColour);
    m_fadeButtons[0]->setState(sameFadeInType ? first->fadeInType : 3);
    m_fadeButtons[1]->setState(sameFadeOutType ? first->fadeOutType : 3);
    setFieldText(kFadeInField, sameFadeIn ? juce::String::formatted("%.1f", double(first->fadeInTime)) : juce::String());
    setFieldText(kFadeOutField,
                 sameFadeOut ? juce::String::formatted("%.1f", double(first->fadeOutTime)) : juce::String());
    setFieldText(kBalanceField, sameBalance ? balanceText(first->balance) : juce::String());
}

void CTVLayerList::updateCommandButtons()
{
    const bool player = m_host.GetMode() == CTVHost::kPlayerMode;
    m_commandButtons[kAddButton]->setEnabled(player);
    m_commandButtons[kRemoveButton]->setEnabled(player && m_listBox->getNumSelectedRows() > 0);
    m_commandButtons[kCombineButton]->setEnabled(player && m_host.CanCombine());
    m_commandButtons[kChannelLinkButton]->setEnabled(player && m_host.CanLinkChannels());
    m_commandButtons[kDivideButton]->setEnabled(player && m_host.IsPositionInsideSong());
}

void CTVLayerList::songListChanged(CTVHost*, int)
{
    const juce::MessageManagerLock lock;
    m_listBox->updateContent();
    m_listBox->showSelection(m_host.GetSelection());
    showValues();
    updateCommandButtons();
    repaint();
}

void CTVLayerList::selectionChanged(CTVHost*, const juce::SparseSet<int>& rows, int)
{
    m_listBox->showSelection(rows);
    if (!rows.isEmpty())
        m_listBox->scrollToEnsureRowIsOnscreen(rows[rows.size() - 1]);
    showValues();
    updateCommandButtons();
}

void CTVLayerList::showCurrentTrack(int index)
{
    if (m_host.IsValidTrackIndex(index))
    {
        juce::SparseSet<int> only;
        only.addRange({index, index + 1});
        m_listBox->showSelection(only);
        m_listBox->scrollToEnsureRowIsOnscreen(index);
    }
    m_listBox->updateContent();
    m_listBox->repaint();
    showValues();
    updateCommandButtons();
}

void CTVLayerList::currentTrackChanged(CTVHost*, int index)
{
    if (m_host.GetMode() == CTVHost::kSessionMode)
    {
        // May come from the export's converter thread.
        postMessage(new CurrentTrackMessage(index));
        return;
    }
    showCurrentTrack(index);
}

void CTVLayerList::handleMessage(const juce::Message& message)
{
    if (const auto* current = dynamic_cast<const CurrentTrackMessage*>(&message))
    {
        // Session mode: the rows' icons follow the converted song.
        if (m_host.GetMode() == CTVHost::kSessionMode)
        {
            for (int row = 0; row < m_host.GetTrackCount(); ++row)
                if (CTVListItem* item = m_listBox->getItemForRow(row))
                    item->refresh();
            m_listBox->scrollToEnsureRowIsOnscreen(current->index);
            m_listBox->repaint();
        }
        else
        {
            showCurrentTrack(current->index);
        }
    }
}

void CTVLayerList::transportStateChanged(CTVHost*, int)
{
    const juce::MessageManagerLock lock;
    repaint();
    m_listBox->repaint();
}

void CTVLayerList::positionChanged(CTVHost*)
{
    m_commandButtons[kDivideButton]->setEnabled(m_host.GetMode() == CTVHost::kPlayerMode &&
                                                m_host.IsPositionInsideSong());
}

void CTVLayerList::hostMessage(CTVHost* host, int)
{
    positionChanged(host);
}

void CTVLayerList::positionInsideSongChanged(CTVHost*, bool inside)
{
    m_commandButtons[kDivideButton]->setEnabled(inside && m_host.GetMode() == CTVHost::kPlayerMode);
}

void CTVLayerList::setLocked(bool locked)
{
    for (auto& button : m_fadeButtons)
        button->setInterceptsMouseClicks(!locked, !locked);
    for (auto& label : m_labels)
        label->setInterceptsMouseClicks(!locked, !locked);
    m_listBox->setInterceptsMouseClicks(!locked, !locked);
}

void CTVLayerList::controlsEnabledChanged(CTVHost*, int mode)
{
    setLocked(mode != CTVHost::kPlayerMode);
    showValues();
    updateCommandButtons();
    // The rows' icons appear and go with the session.
    for (int row = 0; row < m_host.GetTrackCount(); ++row)
        if (CTVListItem* item = m_listBox->getItemForRow(row))
            item->refresh();
}

bool CTVLayerList::canAdvanceToNextTrack(CTVHost*)
{
    return !isDraggingValue();
}

void CTVLayerList::controlChanged(Tavrel::TrackInfo* track, int target)
{
    const juce::SparseSet<int> rows = m_listBox->getSelectedRows();
    if (rows.isEmpty() || m_host.GetTrack(rows[0]) != track || track == nullptr)
        return;
    switch (target)
    {
    case Tavrel::TrackInfo::kGain:
        setFieldText(kGainField, gainText(track->gain));
        m_labels[kGainField]->setColour(juce::Label::textColourId, juce::Colours::black);
        m_labels[4]->setColour(juce::Label::textColourId, juce::Colours::black);
        break;
    case Tavrel::TrackInfo::kFadeInType: m_fadeButtons[0]->setState(track->fadeInType); break;
    case Tavrel::TrackInfo::kFadeInTime:
        setFieldText(kFadeInField, juce::String::formatted("%.1f", double(track->fadeInTime)));
        break;
    case Tavrel::TrackInfo::kFadeOutType: m_fadeButtons[1]->setState(track->fadeOutType); break;
    case Tavrel::TrackInfo::kFadeOutTime:
        setFieldText(kFadeOutField, juce::String::formatted("%.1f", double(track->fadeOutTime)));
        break;
    case Tavrel::TrackInfo::kBalance: setFieldText(kBalanceField, balanceText(track->balance)); break;
    default: break;
    }
}
