#include "ui/songlist/CTVListBox.h"

#include "app/commands/ActionManagerCommand.h"
#include "app/commands/CommandManager.h"
#include "app/commands/SongListActions.h"
#include "app/core/CBJXResource.h"
#include "app/core/CTVResourceManager.h"
#include "app/host/CTVHost.h"
#include "ui/songlist/CTVListItem.h"

CTVListBox::CTVListBox(const juce::String& name, CTVHost& host)
    : CBfcCtrlListBox(name),
      m_host(host)
{
    setColour(juce::ListBox::backgroundColourId, juce::Colours::transparentBlack);
    setRowHeight(kRowHeight);
    getViewport()->setSingleStepSizes(20, kRowHeight);
    updateContent();
    setWantsKeyboardFocus(false);
    // The rows' name labels take the focus.
    setFocusContainerType(juce::Component::FocusContainerType::keyboardFocusContainer);
}

CTVListBox::~CTVListBox()
{
    stopTimer();
}

int CTVListBox::getNumRows()
{
    return m_host.GetTrackCount();
}

CTVListItem* CTVListBox::getItemForRow(int row) const
{
    return dynamic_cast<CTVListItem*>(getComponentForRowNumber(row));
}

bool CTVListBox::isDragInProgress()
{
    return isDragAndDropActive() || m_fileDrag;
}

void CTVListBox::paintListBoxItem(int row, juce::Graphics& g, int, int height, bool)
{
    if (isRowSelected(row))
    {
        g.setColour(juce::Colour(kSelectedColour));
        g.fillRect(0, 0, kRowDrawWidth, height);
    }
    g.setColour(juce::Colour(kRowLineColour));
    g.drawLine(0.0f, static_cast<float>(height), static_cast<float>(kRowDrawWidth), static_cast<float>(height), 2.0f);

    if (m_host.GetMode() == CTVHost::kPlayerMode && m_host.GetCurrentIndexForMode(CTVHost::kPlayerMode) == row)
    {
        if (const CTVResourceManager* resources = CTVResourceManager::GetStoredInstance())
        {
            const juce::Image speaker = resources->GetImage("TinySpeaker");
            const int half = speaker.getHeight() / 2;
            const int top = m_host.GetTransportState() == CTVHost::kPlaying ? half : 0;
            g.drawImage(speaker, 1, 7, speaker.getWidth(), half, 0, top, speaker.getWidth(), half);
        }
    }

    if (isDragInProgress() && m_insertionIndex >= 0)
    {
        float y = -1.0f;
        if (m_insertAfter && row == m_insertionIndex - 1)
            y = static_cast<float>(height - 2);
        else if (!m_insertAfter && row == m_insertionIndex)
            y = 1.0f;
        if (y >= 0.0f)
        {
            g.setColour(juce::Colour(kInsertMarkColour));
            g.drawLine(0.0f, y, static_cast<float>(kRowDrawWidth), y, 3.0f);
        }
    }
}

juce::Component* CTVListBox::refreshComponentForRow(int row, bool, juce::Component* existing)
{
    auto* item = dynamic_cast<CTVListItem*>(existing);
    if (item == nullptr)
    {
        delete existing;
        item = new CTVListItem(m_host, *this);
    }
    LabelWithInlineEditor& name = item->getLabel(CTVListItem::kNameLabel);
    if (item->getRow() == row && name.isBeingEdited())
        name.hideEditor(false);
    item->bind(row);
    const juce::MessageManagerLock lock;
    item->repaint();
    return item;
}

void CTVListBox::backgroundClicked(const juce::MouseEvent&)
{
    const juce::Component* parent = getParentComponent();
    if (isEnabled() && (parent == nullptr || parent->isEnabled()))
        deselectAllRows();
}

void CTVListBox::showSelection(const juce::SparseSet<int>& rows)
{
    const juce::ScopedValueSetter<bool> copying(m_copyingSelection, true);
    setSelectedRows(rows, juce::dontSendNotification);
}

void CTVListBox::selectedRowsChanged(int lastRowSelected)
{
    if (m_copyingSelection)
        return;
    if (CBfcComponentListener* listener = getListener())
        listener->selectedRowsChanged(this, lastRowSelected);
    const juce::Component* focused = juce::Component::getCurrentlyFocusedComponent();
    if (focused != nullptr && isParentOf(focused) && m_host.GetMode() == CTVHost::kPlayerMode)
        if (CTVListItem* item = getItemForRow(lastRowSelected))
            item->getLabel(CTVListItem::kNameLabel).grabKeyboardFocus();
}

void CTVListBox::deleteKeyPressed(int)
{
    if (auto* commands = Tavrel::CommandManager::GetStoredInstance())
        commands->invokeDirectly(Tavrel::kCommandRemoveSongs, false);
}

void CTVListBox::returnKeyPressed(int lastRowSelected)
{
    if (m_host.GetMode() != CTVHost::kPlayerMode || !m_host.IsValidTrackIndex(lastRowSelected))
        return;
    if (juce::ModifierKeys::currentModifiers.isCtrlDown())
    {
        editSelectedName();
        return;
    }
    juce::SparseSet<int> only;
    only.addRange({lastRowSelected, lastRowSelected + 1});
    m_host.SetSelection(only, 0);
    if (m_host.SetCurrentTrack(lastRowSelected, true, false))
        m_host.SetTransportState(CTVHost::kPlaying);
}

void CTVListBox::editSelectedName()
{
    if (m_host.GetMode() != CTVHost::kPlayerMode || getNumSelectedRows() == 0)
        return;
    const int row = getLastRowSelected();
    scrollToEnsureRowIsOnscreen(row);
    if (CTVListItem* item = getItemForRow(row))
        item->editName();
}

std::unique_ptr<juce::ComponentTraverser> CTVListBox::createKeyboardFocusTraverser()
{
    return std::make_unique<SongNameFocusTraverser>(*this);
}

void CTVListBox::computeInsertionIndex(int x, int y)
{
    int row = -1;
    if (static_cast<unsigned>(x) < static_cast<unsigned>(getWidth()))
    {
        row = (getViewport()->getViewPositionY() + y) / getRowHeight();
        if (row >= getNumRows())
            row = -1;
    }
    m_insertionIndex = row;
    m_insertAfter = false;
    if (row == -1)
    {
        m_insertionIndex = getNumRows();
        m_insertAfter = true;
    }
    else if (y > getHeight() - kInsertAfterEdge)
    {
        m_insertionIndex = row + 1;
        m_insertAfter = true;
    }
}

void CTVListBox::dragMovedTo(int x, int y)
{
    m_lastDragX = x;
    m_lastDragY = y;
    if (y > getHeight() - kScrollEdge)
    {
        m_scrollUp = false;
        if (!isTimerRunning())
            startTimer(kScrollIntervalMs);
    }
    else if (y < kScrollEdge)
    {
        m_scrollUp = true;
        if (!isTimerRunning())
            startTimer(kScrollIntervalMs);
    }
    else
    {
        stopTimer();
    }
    computeInsertionIndex(x, y);
    const juce::MessageManagerLock lock;
    repaint();
}

void CTVListBox::dragEnded()
{
    stopTimer();
    m_insertionIndex = -1;
    const juce::MessageManagerLock lock;
    repaint();
}

void CTVListBox::timerCallback()
{
    const int position = getViewport()->getViewPositionY();
    if (m_scrollUp)
    {
        const int r = (position + kScrollEdge) / getRowHeight();
        if (r - 1 >= 0)
            scrollToEnsureRowIsOnscreen(r - 1);
    }
    else
    {
        const int r = (position + getHeight() - kScrollEdge) / getRowHeight();
        scrollToEnsureRowIsOnscreen(r + 1);
    }
    computeInsertionIndex(m_lastDragX, m_lastDragY);
    repaint();
}

void CTVListBox::itemDragMove(const SourceDetails& details)
{
    dragMovedTo(details.localPosition.x, details.localPosition.y);
}

void CTVListBox::itemDragExit(const SourceDetails&)
{
    dragEnded();
}

void CTVListBox::itemDropped(const SourceDetails& details)
{
    stopTimer();
    computeInsertionIndex(details.localPosition.x, details.localPosition.y);
    juce::StringArray tokens;
    tokens.addTokens(details.description.toString(), " \n\r\t", "\"");
    juce::SparseSet<int> rows;
    for (const juce::String& token : tokens)
        if (token.isNotEmpty())
        {
            const int row = token.getIntValue();
            rows.addRange({row, row + 1});
        }
    const juce::Range<int> first = rows.getNumRanges() > 0 ? rows.getRange(0) : juce::Range<int>();
    const bool inPlace = rows.getNumRanges() == 1 && first.getStart() <= m_insertionIndex &&
                         m_insertionIndex <= first.getEnd();
    if (!rows.isEmpty() && !inPlace)
        if (auto* commands = Tavrel::CommandManager::GetStoredInstance())
            (void)commands->performUndoable(new Tavrel::PermutateAction(m_host, rows, m_insertionIndex), true,
                                            CBJXResource::GetString("Action_RearrangeSongs"));
    dragEnded();
}

bool CTVListBox::isInterestedInFileDrag(const juce::StringArray&)
{
    return m_host.GetMode() == CTVHost::kPlayerMode && m_host.GetTrackCount() > 0;
}

void CTVListBox::fileDragEnter(const juce::StringArray&, int, int)
{
    m_fileDrag = true;
}

void CTVListBox::fileDragMove(const juce::StringArray&, int x, int y)
{
    dragMovedTo(x, y);
}

void CTVListBox::fileDragExit(const juce::StringArray&)
{
    dragEnded();
    m_fileDrag = false;
}

void CTVListBox::filesDropped(const juce::StringArray& files, int x, int y)
{
    stopTimer();
    m_fileDrag = false;
    computeInsertionIndex(x, y);
    if (auto* commands = Tavrel::CommandManager::GetStoredInstance())
        (void)commands->performUndoable(new Tavrel::AddSongAction(m_host, files, m_insertionIndex), true,
                                        CBJXResource::GetString("Action_AddAudioFiles"));
    dragEnded();
}

SongNameFocusTraverser::SongNameFocusTraverser(CTVListBox& listBox)
    : m_listBox(listBox)
{
}

juce::Component* SongNameFocusTraverser::step(juce::Component* current, int delta)
{
    auto* item = dynamic_cast<CTVListItem*>(current);
    if (item == nullptr && current != nullptr)
        item = current->findParentComponentOfClass<CTVListItem>();
    if (item == nullptr)
        return nullptr;
    const int rows = m_listBox.getNumRows();
    if (rows <= 0)
        return nullptr;
    const int target = juce::jlimit(0, rows - 1, item->getRow() + delta);
    m_listBox.scrollToEnsureRowIsOnscreen(target);
    if (CTVListItem* next = m_listBox.getItemForRow(target))
        return &next->getLabel(CTVListItem::kNameLabel);
    return nullptr;
}

juce::Component* SongNameFocusTraverser::getNextComponent(juce::Component* current)
{
    auto* item = current != nullptr ? current->findParentComponentOfClass<CTVListItem>() : nullptr;
    if (item == nullptr && dynamic_cast<CTVListItem*>(current) == nullptr)
        return juce::KeyboardFocusTraverser::getNextComponent(current);
    return step(current, 1);
}

juce::Component* SongNameFocusTraverser::getPreviousComponent(juce::Component* current)
{
    auto* item = current != nullptr ? current->findParentComponentOfClass<CTVListItem>() : nullptr;
    if (item == nullptr && dynamic_cast<CTVListItem*>(current) == nullptr)
        return juce::KeyboardFocusTraverser::getPreviousComponent(current);
    return step(current, -1);
}
