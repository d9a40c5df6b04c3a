#include "ui/property/SongPropertyViewer.h"

#include "app/core/TextFormatting.h"
#include "app/core/WideText.h"
#include "app/devices/CdDriveList.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "platform/desktop/DesktopOpener.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"

namespace Tavrel
{
namespace
{
constexpr double kHighestMeasuredRate = 96000.0;

// A file of the song is there: a CD file while its drive (its path, or the
// folder of a "<drive>/TrackNN.cda" path) holds its disc; any other file
// when something exists at its path.
bool isMissing(const CPlaylistFile& file)
{
    const juce::String path = toJuceString(file.GetPath());
    if (file.GetMediaUniqueId() != 0)
        return !CdDriveList::holdsDisc(path, file.GetMediaUniqueId()) &&
               !CdDriveList::holdsDisc(path.upToLastOccurrenceOf("/", false, false), file.GetMediaUniqueId());
    return !juce::File::isAbsolutePath(path) || !juce::File(path).exists();
}

// The file's length in frames. An open-ended file is measured once and its
// end written into the record; one that cannot be measured counts 0.
int64_t fileLength(CPlaylistFile& file)
{
    if (file.GetEnd() < 0)
    {
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(file.GetPath().c_str(), true));
        if (reader == nullptr || reader->GetSampleRate() > kHighestMeasuredRate ||
            (reader->IsCompressed() && reader->IsLossless()))
            return 0;
        file.SetEnd(static_cast<int64_t>(reader->GetLength() + reader->GetRangeStart()));
    }
    return juce::jmax<int64_t>(0, file.GetEnd() - file.GetStart());
}
} // namespace

SongTreeViewItem::SongTreeViewItem(const juce::String& text, bool canContainSubItems, bool missing,
                                   const juce::Font& font)
    : m_font(font),
      m_text(text),
      m_canContainSubItems(canContainSubItems),
      m_missing(missing)
{
    m_textWidth = juce::roundToInt(CTVLookAndFeel::fontForText(m_text, m_font).getStringWidthFloat(m_text));
}

void SongTreeViewItem::paintItem(juce::Graphics& g, int width, int height)
{
    if (isSelected())
    {
        g.setColour(juce::Colour(m_missing ? kMissingSelected : kPresentSelected));
        g.fillRect(1, 1, width - 2, height - 2);
        g.setColour(juce::Colours::white);
    }
    else
    {
        g.setColour(m_missing ? juce::Colour(kMissingText) : juce::Colours::black);
    }
    g.setFont(CTVLookAndFeel::fontForText(m_text, m_font));
    g.drawText(m_text, 4, 0, m_textWidth, height, juce::Justification::centredLeft, false);
}

juce::PopupMenu SongTreeViewItem::getLeafMenu() const
{
    juce::PopupMenu menu;
    menu.addItem(kCopyPath, uiText("Menu_Item_CopyFilePath"));
    menu.addItem(kOpenFolder, uiText("Menu_Item_OpenParentFolder"));
    menu.addItem(kCancel, uiText("Button_Cancel"));
    return menu;
}

void SongTreeViewItem::itemClicked(const juce::MouseEvent& event)
{
    if (m_canContainSubItems || !event.mods.isPopupMenu())
        return;
    // The item may go before the menu ends; the choice needs only the text.
    const juce::String text = m_text;
    getLeafMenu().showMenuAsync(juce::PopupMenu::Options(), [text](int choice) {
        SongTreeViewItem item(text, false, false, juce::Font());
        item.perform(choice);
    });
}

void SongTreeViewItem::perform(int choice) const
{
    if (choice == kCopyPath)
    {
        juce::SystemClipboard::copyTextToClipboard(m_text);
    }
    else if (choice == kOpenFolder && juce::File::isAbsolutePath(m_text))
    {
        // The folder goes to the desktop's opener as one argument, never
        // through a shell. A failing opener changes nothing and says nothing.
        const juce::String folder = juce::File(m_text).getParentDirectory().getFullPathName();
        (void)qm::platform::openWithDesktop(folder.toStdString());
    }
}

SongTreeView::SongTreeView()
    : juce::TreeView("new treeview")
{
    setColour(juce::TreeView::linesColourId, juce::Colours::black);
    setColour(juce::TreeView::backgroundColourId, getLookAndFeel().findColour(juce::ListBox::backgroundColourId));
    setRootItemVisible(false);
    setDefaultOpenness(true);
}

void SongTreeView::paintOverChildren(juce::Graphics& g)
{
    int width = getWidth();
    int height = getHeight();
    if (juce::Viewport* viewport = getViewport())
    {
        if (viewport->getVerticalScrollBar().isVisible())
            width -= viewport->getScrollBarThickness();
        if (viewport->getHorizontalScrollBar().isVisible())
            height -= viewport->getScrollBarThickness();
    }
    g.setColour(juce::Colour(kFrameColour));
    g.drawRect(0, 0, width, height, 1);
}

SongPropertyViewer::SongPropertyViewer()
    : m_treeFont(kTreeFontHeight)
{
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        m_treeFont = look->getFont(2, kTreeFontHeight, juce::Font::plain);
    m_root = std::make_unique<SongTreeViewItem>(juce::String(), true, false, m_treeFont);
    m_ok = std::make_unique<juce::TextButton>("OK");
    m_ok->addListener(this);
    addAndMakeVisible(*m_ok);
    m_tree = std::make_unique<SongTreeView>();
    addAndMakeVisible(*m_tree);

    if (CTVHost* host = CTVHost::GetStoredInstance())
    {
        const juce::SparseSet<int> selection = host->GetSelection();
        for (int i = 0; i < selection.size(); ++i)
            if (TrackInfo* song = host->GetTrack(selection[i]))
                m_root->addSubItem(makeSongItem(*song).release());
    }
    m_tree->setRootItem(m_root.get());
    setSize(kWidth, kHeight);
}

SongPropertyViewer::~SongPropertyViewer()
{
    m_tree->setRootItem(nullptr);
    m_tree.reset();
    m_ok.reset();
    m_root.reset();
}

std::unique_ptr<SongTreeViewItem> SongPropertyViewer::makeSongItem(TrackInfo& song) const
{
    auto item = std::make_unique<SongTreeViewItem>(song.getTextField(TrackInfo::kSongName), true, false, m_treeFont);
    const double rate = song.sampleRate > 0.0f ? static_cast<double>(song.sampleRate) : 44100.0;
    if (song.song != nullptr)
    {
        int64_t start = 0;
        for (int s = 0; s < song.song->GetSectionCount(); ++s)
        {
            CPlaylistSection* section = song.song->GetSection(s);
            if (section == nullptr)
                continue;
            const int tracks = section->GetTrackCount();
            int64_t length = 0;
            std::vector<std::unique_ptr<SongTreeViewItem>> children;
            for (int t = 0; t < tracks; ++t)
            {
                CPlaylistTrack* track = section->GetTrack(t);
                if (track == nullptr)
                    continue;
                std::unique_ptr<SongTreeViewItem> channel;
                if (tracks >= 2)
                    channel = std::make_unique<SongTreeViewItem>(t == 0 ? "L" : "R", true, false, m_treeFont);
                int64_t trackLength = 0;
                for (int f = 0; f < track->GetFileCount(); ++f)
                {
                    CPlaylistFile* file = track->GetFile(f);
                    if (file == nullptr)
                        continue;
                    auto leaf = std::make_unique<SongTreeViewItem>(toJuceString(file->GetPath()), false, isMissing(*file),
                                                                   m_treeFont);
                    trackLength += fileLength(*file);
                    if (channel != nullptr)
                        channel->addSubItem(leaf.release());
                    else
                        children.push_back(std::move(leaf));
                }
                if (channel != nullptr)
                    children.push_back(std::move(channel));
                length = juce::jmax(length, trackLength);
            }
            const juce::String range = formatTime(static_cast<double>(start) / rate, TimeStyle::Precise) + " - " +
                                       formatTime(static_cast<double>(start + length) / rate, TimeStyle::Precise);
            auto sectionItem = std::make_unique<SongTreeViewItem>(range, true, false, m_treeFont);
            for (auto& child : children)
                sectionItem->addSubItem(child.release());
            item->addSubItem(sectionItem.release());
            start += length;
        }
    }
    const juce::String picture = song.getPicturePath();
    if (picture.isNotEmpty())
    {
        auto pictureItem = std::make_unique<SongTreeViewItem>(uiText("SongTree_Picture"), true, false, m_treeFont);
        const bool missing = !juce::File::isAbsolutePath(picture) || !juce::File(picture).existsAsFile();
        pictureItem->addSubItem(new SongTreeViewItem(picture, false, missing, m_treeFont));
        item->addSubItem(pictureItem.release());
    }
    return item;
}

void SongPropertyViewer::paint(juce::Graphics& g)
{
    const juce::Colour background = getLookAndFeel().findColour(juce::PopupMenu::backgroundColourId);
    g.fillAll(background);
    g.setColour(background.overlaidWith(juce::Colour(0x2BADD8E6)));
    for (int y = 0; y < getHeight(); y += 3)
        g.fillRect(0, y, getWidth(), 1);
}

void SongPropertyViewer::resized()
{
    m_ok->setBounds(getWidth() / 2 - 60, getHeight() - 32, 120, 24);
    m_tree->setBounds(8, 8, getWidth() - 16, getHeight() - 48);
}

void SongPropertyViewer::buttonClicked(juce::Button* button)
{
    if (button != m_ok.get())
        return;
    if (auto* dialog = findParentComponentOfClass<juce::DialogWindow>())
        dialog->exitModalState(0);
}
} // namespace Tavrel
