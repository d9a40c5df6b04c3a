#include "ui/disc/DiscOpenSheet.h"

#include "app/commands/CommandManager.h"
#include "app/commands/SongListActions.h"
#include "app/core/CBJXResource.h"
#include "app/core/TextFormatting.h"
#include "app/devices/DeviceChangeBroadcaster.h"
#include "app/devices/DeviceChangeMessage.h"
#include "app/host/CTVHost.h"
#include "platform/thread/ThreadName.h"
#include "ui/widgets/WorkerThreadStop.h"
#include "ui/look/CTVLookAndFeel.h"

namespace Tavrel
{
namespace
{
juce::String Text(const char* key)
{
    return CBJXResource::GetString(key);
}

struct Column
{
    int id;
    const char* key;
    int width;
};
constexpr Column kColumns[] = {
    {1, "DiscOpen_DriveName", 38}, {2, "DiscOpen_DiscType", 64}, {3, "DiscOpen_Title", 176},
    {4, "DiscOpen_NumTracks", 40}, {5, "DiscOpen_TotalTime", 48},
};
constexpr int kStopLimitMs = 2000;
constexpr int kDeviceTag = 0;
} // namespace

DiscOpenSheet::DiscOpenSheet()
    : juce::Thread("Disc Reload Thread"),
      m_manager(std::make_unique<DiscOpenManager>(Text(DiscOpenManager::kAudioCdTypeKey))),
      m_scanEvent(false)
{
    m_open = std::make_unique<juce::TextButton>(Text("Button_Ok"));
    m_cancel = std::make_unique<juce::TextButton>(Text("Button_Cancel"));
    m_table = std::make_unique<juce::TableListBox>("DiscList", this);
    m_title = std::make_unique<juce::Label>(juce::String(), Text("Menu_Item_OpenDisc"));
    m_noDisc = std::make_unique<juce::Label>(juce::String(), Text("DiscOpen_NoDisc"));
    for (juce::Label* label : {m_title.get(), m_noDisc.get()})
    {
        label->setColour(juce::Label::textColourId, juce::Colour(0xFF000000));
        label->setColour(juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
            look->setLabelFontKind(*label, 2);
    }
    m_table->setColour(juce::ListBox::backgroundColourId, juce::Colour(0xC0FFFFFF));
    m_table->setColour(juce::ListBox::outlineColourId, juce::Colour(kLineColour));
    m_table->setOutlineThickness(1);
    m_table->setHeaderHeight(kRowHeight);
    m_table->setRowHeight(kRowHeight);
    m_table->setMultipleSelectionEnabled(true);
    const int flags = juce::TableHeaderComponent::visible;
    for (const Column& column : kColumns)
        m_table->getHeader().addColumn(Text(column.key), column.id, column.width, column.width, column.width, flags);
    for (juce::Component* child : {static_cast<juce::Component*>(m_open.get()),
                                   static_cast<juce::Component*>(m_cancel.get()),
                                   static_cast<juce::Component*>(m_table.get()),
                                   static_cast<juce::Component*>(m_title.get()),
                                   static_cast<juce::Component*>(m_noDisc.get())})
        addAndMakeVisible(child);
    m_open->addListener(this);
    m_cancel->addListener(this);
    m_open->setEnabled(false);
    setSize(400, kMaxHeight);
}

DiscOpenSheet::~DiscOpenSheet()
{
    if (DeviceChangeBroadcaster* broadcaster = DeviceChangeBroadcaster::getInstance())
        broadcaster->removeListener(this);
    stopTimer();
    m_reload = false;
    stopWorkerThread(*this, kStopLimitMs, &m_scanEvent, &m_runEnded);
    cancelPendingUpdate();
    m_table->setModel(nullptr);
}

juce::String DiscOpenSheet::shortDriveName(const juce::String& drive)
{
    const int slash = drive.lastIndexOfChar('/');
    return slash >= 0 ? drive.substring(slash + 1) : drive;
}

int DiscOpenSheet::heightFor(int count)
{
    return juce::jmin(count * kRowHeight + kFixedHeight, kMaxHeight);
}

void DiscOpenSheet::paint(juce::Graphics& g)
{
    g.setColour(juce::Colour(0xBFFFFFFF));
    g.fillRect(g.getClipBounds());
}

void DiscOpenSheet::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    m_title->setBounds(16, 16, w - 32, 24);
    m_table->setBounds(16, 56, w - 32, h - 112);
    m_noDisc->setBounds(16, 56, w - 32, h - 112);
    m_cancel->setBounds(w / 2 - 140, h - 40, 96, 24);
    m_open->setBounds(w / 2 + 44, h - 40, 96, 24);
}

void DiscOpenSheet::showRows()
{
    const bool none = m_shown.isEmpty();
    m_noDisc->setVisible(none);
    m_table->setVisible(!none);
    m_table->updateContent();
    m_table->repaint();
}

void DiscOpenSheet::sheetWillOpen()
{
    // Also when the last scan has just ended by itself: the stop's wait for
    // its end mark orders that scan's writes before the lists are cleared.
    m_reload = false;
    stopWorkerThread(*this, kStopLimitMs, &m_scanEvent, &m_runEnded);
    cancelPendingUpdate();
    m_shown.clear();
    m_scanList.clear();
    showRows();
    m_table->deselectAllRows();
    const int height = heightFor(m_shown.size());
    setSize(getWidth(), height);
    m_targetHeight = height;
    m_copied = false;
    m_reload = true;
    m_scanEvent.signal();
    m_runEnded.store(false);
    startThread();
    if (DeviceChangeBroadcaster* broadcaster = DeviceChangeBroadcaster::getInstance())
        broadcaster->addListener(this, kDeviceTag);
    m_open->addShortcut(juce::KeyPress('o', juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::altModifier, 0));
    m_cancel->addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
}

void DiscOpenSheet::sheetWillClose()
{
    m_open->clearShortcuts();
    m_cancel->clearShortcuts();
    if (DeviceChangeBroadcaster* broadcaster = DeviceChangeBroadcaster::getInstance())
        broadcaster->removeListener(this);
    stopTimer();
    m_reload = false;
    signalThreadShouldExit();
    notify();
    m_scanEvent.signal();
}

void DiscOpenSheet::handleMessage(const juce::Message& message)
{
    const auto* change = dynamic_cast<const DeviceChangeMessage*>(&message);
    if (change != nullptr && change->tag == kDeviceTag &&
        (change->event == DeviceChangeMessage::kMediaArrived || change->event == DeviceChangeMessage::kMediaRemoved))
        m_scanEvent.signal();
}

void DiscOpenSheet::run()
{
    // The system keeps 15 bytes of a thread's name; the framework names no
    // thread whose name is longer.
    qm::platform::setCurrentThreadName(getThreadName().toStdString());
    while (!threadShouldExit())
    {
        if (!m_reload)
        {
            wait(1000);
            continue;
        }
        if (!m_scanEvent.wait(1000) || threadShouldExit())
            continue;
        m_manager->scanDrives(m_scanList);
        if (threadShouldExit())
            break;
        const int count = m_scanList.size();
        m_copied = false;
        juce::Component::SafePointer<DiscOpenSheet> self(this);
        juce::MessageManager::callAsync([self, count] {
            if (self != nullptr)
                self->scanArrived(count);
        });
        // The message thread copies the scan list before the next scan.
        while (!threadShouldExit() && !m_copied)
            wait(1000);
    }
    m_runEnded.store(true, std::memory_order_release);
}

void DiscOpenSheet::scanArrived(int count)
{
    if (!m_reload)
        return;
    if (count == m_shown.size())
    {
        triggerAsyncUpdate();
        return;
    }
    m_targetHeight = heightFor(count);
    const int difference = m_targetHeight - getHeight();
    m_step = juce::roundToInt(difference / 10.0);
    if (m_step == 0)
        m_step = difference > 0 ? 1 : (difference < 0 ? -1 : 0);
    if (m_step == 0)
        triggerAsyncUpdate();
    else
        startTimer(kStepMs);
}

void DiscOpenSheet::timerCallback()
{
    int height = getHeight() + m_step;
    if ((m_step > 0 && height > m_targetHeight) || (m_step < 0 && height < m_targetHeight))
        height = m_targetHeight;
    setSize(getWidth(), height);
    if (height == m_targetHeight)
    {
        stopTimer();
        triggerAsyncUpdate();
    }
}

void DiscOpenSheet::handleAsyncUpdate()
{
    m_shown.clear();
    for (const DiscOpenManager::DiscInfo* disc : m_scanList)
        m_shown.add(new DiscOpenManager::DiscInfo(*disc));
    m_copied = true;
    notify();
    showRows();
    const juce::StringArray remembered = m_selection;
    juce::SparseSet<int> rows;
    for (int row = 0; row < m_shown.size(); ++row)
        if (!m_shown[row]->trackPaths.isEmpty() && remembered.contains(m_shown[row]->trackPaths[0]))
            rows.addRange({row, row + 1});
    m_table->setSelectedRows(rows, juce::sendNotificationSync);
}

void DiscOpenSheet::paintRowBackground(juce::Graphics& g, int row, int width, int height, bool selected)
{
    if (row < 0 || row >= m_shown.size())
        return;
    if (selected)
        g.fillAll(juce::Colour(0xFFFFFFFF));
    if (row != m_shown.size() - 1)
    {
        // One pixel row exactly (a line of width 1 at y would straddle two).
        g.setColour(juce::Colour(kLineColour));
        g.fillRect(0, height - 1, width, 1);
    }
}

void DiscOpenSheet::paintCell(juce::Graphics& g, int row, int column, int width, int height, bool)
{
    if (row < 0 || row >= m_shown.size())
        return;
    const DiscOpenManager::DiscInfo& disc = *m_shown[row];
    juce::String text;
    int kind = 0;
    switch (column)
    {
    case 1: text = shortDriveName(disc.drive); kind = 1; break;
    case 2: text = Text(disc.discTypeKey.c_str()); kind = 2; break;
    case 3: text = disc.title; kind = 1; break;
    case 4: text = juce::String(disc.trackCount); break;
    case 5: text = formatTime(disc.lengthSeconds, TimeStyle::Compact); break;
    default: break;
    }
    const float size = 0.6f * static_cast<float>(height);
    juce::Font font(size);
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        font = look->getFont(kind, size, juce::Font::plain);
    g.setColour(juce::Colours::black);
    g.setFont(CTVLookAndFeel::fontForText(text, font));
    const juce::Justification justification =
        column <= 3 ? juce::Justification::centredLeft : juce::Justification::centredRight;
    g.drawFittedText(text, 2, 2, width - 4, height - 4, justification, 1, 0.7f);
    g.setColour(juce::Colour(kLineColour));
    g.fillRect(width - 1, 0, 1, height);
}

void DiscOpenSheet::selectedRowsChanged(int)
{
    m_open->setEnabled(m_table->getNumSelectedRows() > 0);
    m_selection.clear();
    const juce::SparseSet<int> rows = m_table->getSelectedRows();
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i] < m_shown.size() && !m_shown[rows[i]]->trackPaths.isEmpty())
            m_selection.add(m_shown[rows[i]]->trackPaths[0]);
}

void DiscOpenSheet::returnKeyPressed(int)
{
    if (m_table->getNumSelectedRows() > 0)
        buttonClicked(m_open.get());
}

void DiscOpenSheet::openSelected()
{
    m_reload = false;
    juce::StringArray paths;
    const juce::SparseSet<int> rows = m_table->getSelectedRows();
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i] < m_shown.size())
            paths.addArray(m_shown[rows[i]]->trackPaths);
    CTVHost* host = CTVHost::GetStoredInstance();
    CommandManager* commands = CommandManager::GetStoredInstance();
    if (!paths.isEmpty() && host != nullptr && commands != nullptr)
        (void)commands->performUndoable(new AddSongActionAtEnd(*host, paths), true, Text("Action_OpenDisc"));
}

void DiscOpenSheet::buttonClicked(juce::Button* button)
{
    if (button == m_open.get())
    {
        openSelected();
        close();
    }
    else if (button == m_cancel.get())
    {
        close();
    }
}
} // namespace Tavrel
