#include "ui/songlist/CTVListItem.h"

#include "app/commands/ActionManagerCommand.h"
#include "app/commands/CommandManager.h"
#include "app/commands/SongListActions.h"
#include "app/core/CBJXResource.h"
#include "app/core/CTVResourceManager.h"
#include "app/core/TextFormatting.h"
#include "app/core/UiServices.h"
#include "app/host/CTVHost.h"
#include "session/manager/ExportManager.h"
#include "session/manager/ExportSession.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/songlist/CTVListBox.h"

namespace
{
struct LabelGeometry
{
    int x;
    int width;
    juce::Justification justification;
};
const LabelGeometry kLabels[] = {
    {0, 40, juce::Justification::centredRight},
    {41, 176, juce::Justification::centredLeft},
    {218, 58, juce::Justification::centredRight},
    {277, 88, juce::Justification::centredLeft},
};
constexpr int kLabelY = 1;
constexpr int kLabelHeight = 22;
// The commands of the row menu after "Play <name>".
constexpr int kMenuCommands[] = {35, 36, Tavrel::kCommandRemoveSongs, Tavrel::kCommandCropSongs,
                                 Tavrel::kCommandCombine, Tavrel::kCommandChannelLink, 38, 41};
constexpr int kPlayThisSongItem = 1;
constexpr int kDragDelayMs = 500;
constexpr int kDragDistance = 10;
constexpr int kRenameSlack = 4;
} // namespace

CTVListItem::CTVListItem(CTVHost& host, CTVListBox& listBox)
    : juce::Component("ListItem"),
      m_host(host),
      m_listBox(listBox)
{
    setSize(300, 25);
    for (int i = 0; i < 4; ++i)
    {
        auto label = std::make_unique<LabelWithInlineEditor>("Label", juce::String());
        label->setGroup(0);
        label->setId(i);
        label->setListener(this);
        label->setBounds(kLabels[i].x, kLabelY, kLabels[i].width, kLabelHeight);
        label->setJustificationType(kLabels[i].justification);
        label->setColour(juce::Label::textColourId, juce::Colours::black);
        label->setColour(juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        label->setColour(juce::Label::outlineColourId, juce::Colours::transparentBlack);
        label->setColour(juce::TextEditor::textColourId, juce::Colours::black);
        label->setColour(juce::TextEditor::backgroundColourId, juce::Colours::white);
        label->setColour(juce::TextEditor::highlightColourId, juce::Colour(0xFFB5D5FF));
        label->setColour(juce::TextEditor::focusedOutlineColourId, juce::Colours::transparentBlack);
        label->setColour(juce::TextEditor::shadowColourId, juce::Colours::transparentBlack);
        if (i == kNameLabel)
        {
            // Only the rename paths open the name's editor; leaving it by
            // moving the focus renames nothing.
            label->setEditable(false, false, true);
            label->setWantsKeyboardFocus(true);
            label->setFocusContainerType(juce::Component::FocusContainerType::focusContainer);
            if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
                look->setLabelFontKind(*label, 1);
        }
        else
        {
            label->setFont(juce::Font("Arial", label->getFont().getHeight(), juce::Font::plain));
        }
        addAndMakeVisible(*label);
        m_labels[static_cast<size_t>(i)] = std::move(label);
    }
    m_icon.setName("Icon");
    if (const CTVResourceManager* resources = CTVResourceManager::GetStoredInstance())
        m_icon.setImage(resources->GetImage("ConvertingAnimation"), 6);
    m_icon.setTopLeftPosition(4, 7);
    m_icon.setGroup(1);
    m_icon.setId(0);
    m_icon.setListener(this);
    addChildComponent(m_icon);
}

CTVListItem::~CTVListItem()
{
    stopTimer();
    m_host.RemoveTrackInfoListenerEntries(this);
}

void CTVListItem::bind(int row)
{
    m_host.RemoveTrackInfoListenerEntries(this);
    m_row = row;
    refresh();
    if (m_host.IsValidTrackIndex(row))
        m_host.AddTrackInfoListenerEntry(this, row);
}

void CTVListItem::refresh()
{
    Tavrel::TrackInfo* song = m_host.GetTrack(m_row);
    if (song == nullptr)
        return;
    textChanged(song, Tavrel::TrackInfo::kSongName);
    dataSpecChanged(song);
    getLabel(kNumberLabel).setText(juce::String(m_row + 1), juce::dontSendNotification);
    updateIcon();
}

void CTVListItem::updateIcon()
{
    Tavrel::ExportManager* exports = Tavrel::ExportManager::GetStoredInstance();
    Tavrel::ExportSession* session = exports != nullptr ? exports->getStoredSession() : nullptr;
    if (m_host.GetMode() == CTVHost::kSessionMode && session != nullptr && session->getSongIndices().contains(m_row))
    {
        m_icon.setVisible(true);
        if (m_host.GetCurrentIndexForMode(CTVHost::kSessionMode) == m_row && session->isConverting())
            m_icon.startAnimation();
        else
            m_icon.stopAnimation();
    }
    else if (m_host.GetMode() == CTVHost::kSessionMode)
    {
        m_icon.stopAnimation();
        m_icon.setVisible(false);
    }
    else
    {
        m_icon.stopAnimation();
        m_icon.reset();
        m_icon.setVisible(false);
    }
}

void CTVListItem::textChanged(Tavrel::TrackInfo* track, int field)
{
    if (field != Tavrel::TrackInfo::kSongName || track == nullptr)
        return;
    LabelWithInlineEditor& name = getLabel(kNameLabel);
    name.hideEditor(true);
    name.setText(track->getTextField(Tavrel::TrackInfo::kSongName), juce::dontSendNotification);
}

void CTVListItem::dataSpecChanged(Tavrel::TrackInfo* track)
{
    if (track == nullptr)
        return;
    const double seconds = track->lengthHours * 3600.0 + track->lengthMinutes * 60.0 + track->lengthSeconds;
    getLabel(kLengthLabel).hideEditor(true);
    getLabel(kFormatLabel).hideEditor(true);
    getLabel(kLengthLabel).setText(formatTime(seconds, TimeStyle::Compact), juce::dontSendNotification);
    getLabel(kFormatLabel)
        .setText(track->formatName + " (" + formatSampleRate(track->sampleRate, true) + ")",
                 juce::dontSendNotification);
    const juce::Colour colour = track->readable ? juce::Colours::black : juce::Colour(kUnavailableColour);
    for (auto& label : m_labels)
        label->setColour(juce::Label::textColourId, colour);
}

bool CTVListItem::isEnabledWithParent(const juce::Component& label) const
{
    const juce::Component* parent = label.getParentComponent();
    return label.isEnabled() && (parent == nullptr || parent->isEnabled());
}

void CTVListItem::stopRenameTimer()
{
    stopTimer();
    m_clickPosition.reset();
}

void CTVListItem::timerCallback()
{
    stopTimer();
    m_clickPosition.reset();
    editName();
}

void CTVListItem::editName()
{
    getLabel(kNameLabel).showEditor();
}

bool CTVListItem::mouseMoveHook(CBfcComponent*, const juce::MouseEvent& e)
{
    if (m_clickPosition.has_value())
    {
        const juce::Point<int> at = e.getPosition();
        if (std::abs(at.x - m_clickPosition->x) >= kRenameSlack || at.y != m_clickPosition->y)
            stopRenameTimer();
    }
    return false;
}

bool CTVListItem::mouseExitHook(CBfcComponent*, const juce::MouseEvent&)
{
    stopRenameTimer();
    return false;
}

bool CTVListItem::mouseDownHook(CBfcComponent* c, const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
        return false;
    stopRenameTimer();
    m_dragStarted = false;
    const auto* label = dynamic_cast<juce::Component*>(c);
    if (label == nullptr || !isEnabledWithParent(*label) || !m_host.IsValidTrackIndex(m_row))
        return false;
    m_wasOnlySelectedAtPress = m_listBox.getNumSelectedRows() == 1 && m_listBox.isRowSelected(m_row);
    if (e.mods.isCtrlDown())
    {
        m_listBox.flipRowSelection(m_row);
    }
    else if (e.mods.isShiftDown())
    {
        const juce::SparseSet<int> selected = m_listBox.getSelectedRows();
        int first = m_row;
        int last = m_row;
        if (!selected.isEmpty())
        {
            first = std::min(first, selected[0]);
            last = std::max(last, selected[selected.size() - 1]);
        }
        juce::SparseSet<int> range;
        range.addRange({first, last + 1});
        m_listBox.setSelectedRows(range);
    }
    else if (!m_listBox.isRowSelected(m_row))
    {
        m_listBox.selectRow(m_row);
    }
    return false;
}

bool CTVListItem::mouseDragHook(CBfcComponent*, const juce::MouseEvent& e)
{
    if (!e.mods.isLeftButtonDown() || e.mods.isShiftDown() || e.mods.isCtrlDown() || e.mods.isAltDown())
        return false;
    if (m_dragStarted || m_listBox.isDragAndDropActive() || m_host.GetMode() != CTVHost::kPlayerMode)
        return false;
    if (e.getLengthOfMousePress() <= kDragDelayMs && std::abs(e.getDistanceFromDragStartY()) <= kDragDistance)
        return false;
    const juce::SparseSet<int> rows = m_listBox.getSelectedRows();
    if (rows.isEmpty())
        return false;
    juce::String description;
    for (int i = 0; i < rows.size(); ++i)
        description << rows[i] << " ";
    int x = 0;
    int y = 0;
    juce::ScaledImage snapshot = m_listBox.createSnapshotOfRows(rows, x, y);
    juce::Image image = snapshot.getImage().createCopy();
    image.multiplyAllAlphas(0.9f);
    const juce::Point<int> pointer = m_listBox.getLocalPoint(e.eventComponent, e.getPosition());
    const juce::Point<int> offset(x - pointer.x, y - pointer.y);
    stopRenameTimer();
    m_dragStarted = true;
    m_listBox.startDragging(description, &m_listBox, juce::ScaledImage(image, snapshot.getScale()), false, &offset,
                            &e.source);
    return false;
}

bool CTVListItem::mouseUpHook(CBfcComponent* c, const juce::MouseEvent& e)
{
    auto* label = dynamic_cast<juce::Component*>(c);
    if (label == nullptr || !isEnabledWithParent(*label) || !m_host.IsValidTrackIndex(m_row))
        return false;
    if (e.mods.isPopupMenu())
    {
        if (!m_listBox.isRowSelected(m_row))
            m_listBox.selectRow(m_row, false, !e.mods.isCtrlDown());
        juce::Component::SafePointer<CTVListItem> self(this);
        createMenu().showMenuAsync(
            juce::PopupMenu::Options().withTargetScreenArea(juce::Rectangle<int>(e.getScreenPosition(), e.getScreenPosition()).expanded(1)),
            [self](int id) {
                if (self != nullptr)
                    self->menuItemChosen(id);
            });
        return false;
    }
    if (e.mods.isShiftDown() || e.mods.isCtrlDown() || e.mods.isAltDown())
        return false;
    const bool dragging = m_dragStarted || m_listBox.isDragAndDropActive();
    if (m_listBox.getNumSelectedRows() > 1 && !dragging)
        m_listBox.selectRow(m_row);
    // A click on the name of the row that was the only selected row before
    // the press renames it after a moment; a first click only selects.
    if (c == &getLabel(kNameLabel) && !dragging && m_wasOnlySelectedAtPress)
    {
        LabelWithInlineEditor& name = getLabel(kNameLabel);
        const juce::Font font = name.getLookAndFeel().getLabelFont(name);
        const int textWidth = juce::roundToInt(font.getStringWidthFloat(name.getText())) + 3;
        const int x = e.getPosition().x;
        if (x >= 0 && x < textWidth)
        {
            m_clickPosition = e.getPosition();
            startTimer(kRenameDelayMs);
        }
    }
    return false;
}

bool CTVListItem::mouseDoubleClickHook(CBfcComponent* c, const juce::MouseEvent& e)
{
    auto* label = dynamic_cast<juce::Component*>(c);
    if (label == nullptr || !e.mods.isLeftButtonDown() || !isEnabledWithParent(*this) ||
        e.mods.isShiftDown() || e.mods.isCtrlDown() || e.mods.isAltDown() || m_host.HasPendingTransportEvent() ||
        !m_host.IsValidTrackIndex(m_row))
        return false;
    stopRenameTimer();
    playRow(true);
    return false;
}

void CTVListItem::playRow(bool rebuildShuffle)
{
    bool opened = true;
    if (m_host.GetMode() == CTVHost::kPlayerMode)
    {
        // Stops playback, makes the row current, opens it and tells the
        // listeners.
        juce::SparseSet<int> only;
        only.addRange({m_row, m_row + 1});
        m_host.SetSelection(only, 0);
        opened = m_host.SetCurrentTrack(m_row, true, rebuildShuffle);
    }
    else
    {
        opened = m_host.SetCurrentTrack(m_row, false, rebuildShuffle);
    }
    m_host.SetTransportState(opened ? CTVHost::kPlaying : CTVHost::kStopped);
}

juce::PopupMenu CTVListItem::createMenu() const
{
    juce::PopupMenu menu;
    menu.addItem(kPlayThisSongItem, CBJXResource::GetString("Menu_Item_PlayThisSong")
                                        .replace("%1", m_labels[kNameLabel]->getText()));
    if (auto* commands = Tavrel::CommandManager::GetStoredInstance())
        for (const int id : kMenuCommands)
            menu.addCommandItem(commands, id);
    return menu;
}

void CTVListItem::menuItemChosen(int id)
{
    if (id != kPlayThisSongItem || !m_host.IsValidTrackIndex(m_row))
        return;
    if (m_host.GetMode() == CTVHost::kPlayerMode)
    {
        playRow(false);
        return;
    }
    m_host.SetCurrentTrack(m_row, false, false);
    m_host.SetTransportState(CTVHost::kPlaying);
}

void CTVListItem::returnKeyPressed(CBfcComponent* c)
{
    if (c != &getLabel(kNameLabel))
        return;
    Tavrel::TrackInfo* song = m_host.GetTrack(m_row);
    if (song == nullptr)
        return;
    const juce::String text = getLabel(kNameLabel).getText();
    bool refused = false;
    if (text != song->getTextField(Tavrel::TrackInfo::kSongName))
    {
        auto* commands = Tavrel::CommandManager::GetStoredInstance();
        const juce::String name = CBJXResource::GetString("Action_Change")
                                      .replace("%1", CBJXResource::GetString("ChangeTarget_SongName"));
        refused = commands == nullptr ||
                  !commands->performUndoable(
                      new CTVActionRename(m_host, m_row, Tavrel::TrackInfo::kSongName, text, false), true, name);
    }
    // A refused rename shows the old name again.
    textChanged(song, Tavrel::TrackInfo::kSongName);
    if (refused)
        Tavrel::UiServices::get().beep();
}

void CTVListItem::focusOfChildComponentChanged(FocusChangeType cause)
{
    LabelWithInlineEditor& name = getLabel(kNameLabel);
    if (cause != focusChangedByTabKey || !name.hasKeyboardFocus(false) || !m_host.IsValidTrackIndex(m_row))
        return;
    m_listBox.selectRow(m_row);
    name.showEditor();
}
