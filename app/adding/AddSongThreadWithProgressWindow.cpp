#include "app/adding/AddSongThreadWithProgressWindow.h"

#include <algorithm>
#include <memory>

#include "app/core/CBJXResource.h"
#include "app/host/CTVHost.h"
#include "app/songlist/AudioCDTrackReader.h"
#include "app/songlist/AudioFileReader.h"
#include "app/songlist/TVSLReader.h"
#include "app/songlist/TrackInfo.h"
#include "platform/cd/CdDriveRegistry.h"

namespace Tavrel
{
namespace
{
constexpr int kItemLabelWidth = 284;
constexpr int kItemLabelHeight = 15;

// Whole paths compared character by character (case-sensitive).
void SortPaths(juce::StringArray& paths)
{
    std::sort(paths.begin(), paths.end(),
              [](const juce::String& a, const juce::String& b) { return a.compare(b) < 0; });
}

// A CD drive's name (a device node such as /dev/sr0, or a disc image's
// name) is the root of a drive, as a folder is.
bool IsDriveRoot(const juce::String& path)
{
    return path.isNotEmpty() && qm::platform::CdDriveRegistry::Instance().IsDrive(path.toStdString());
}
} // namespace

AddSongThreadWithProgressWindow::AddSongThreadWithProgressWindow(const juce::StringArray& paths, int firstRow)
    : ThreadWithCustomProgressWindow(CBJXResource::GetString("Songlist_AddAudioFiles"),
                                     CBJXResource::GetString("Button_Cancel")),
      m_host(CTVHost::GetStoredInstance()),
      m_nextRow(firstRow),
      m_itemLabel("File Name Label", {})
{
    m_itemHolder.setSize(kItemLabelWidth, kItemLabelHeight);
    m_itemLabel.setBounds(0, 0, kItemLabelWidth, kItemLabelHeight);
    m_itemLabel.setBorderSize({});
    m_itemHolder.addAndMakeVisible(m_itemLabel);
    for (const juce::String& path : paths)
    {
        const bool folder = path.isNotEmpty() && juce::File::isAbsolutePath(path) && juce::File(path).isDirectory();
        if (folder || IsDriveRoot(path))
            m_folders.add(path);
        else
            m_files.add(path);
    }
    SortPaths(m_files);
    SortPaths(m_folders);
}

AddSongThreadWithProgressWindow::~AddSongThreadWithProgressWindow()
{
    // The worker ends before the members it uses go.
    waitForWorker();
}

void AddSongThreadWithProgressWindow::getCustomComponents(juce::Array<juce::Component*>& components)
{
    components.add(&m_itemHolder);
}

void AddSongThreadWithProgressWindow::updateCustomComponents()
{
    // Called with the status lock held, which also guards the item text.
    m_itemLabel.setText(m_itemText, juce::dontSendNotification);
}

void AddSongThreadWithProgressWindow::setItemText(const juce::String& text)
{
    const juce::ScopedLock guard(m_statusLock);
    m_itemText = text;
}

void AddSongThreadWithProgressWindow::progress(double value)
{
    setProgress(value);
    const juce::ScopedLock guard(m_trailLock);
    m_trail.push_back(value);
}

std::vector<double> AddSongThreadWithProgressWindow::getProgressTrail() const
{
    const juce::ScopedLock guard(m_trailLock);
    return m_trail;
}

void AddSongThreadWithProgressWindow::run()
{
    const auto scope = workerScope();
    const double total = kFolderUnits * m_folders.size() + m_files.size();
    if (total <= 0.0 || m_host == nullptr)
        return;
    setStatusMessage(CBJXResource::GetString("Songlist_CheckFile"));
    const int files = m_files.size();
    for (int i = 0; i < files && !threadShouldExit(); ++i)
    {
        setItemText(juce::File::isAbsolutePath(m_files[i]) ? juce::File(m_files[i]).getFileName() : m_files[i]);
        addItem(m_files[i], i / total, 1.0 / total);
    }
    for (int j = 0; j < m_folders.size() && !threadShouldExit(); ++j)
    {
        const juce::String& folder = m_folders[j];
        setItemText(folder);
        auto reader = std::make_unique<AudioCDTrackReader>(folder);
        if (reader->hasNext())
        {
            setStatusMessage(CBJXResource::GetString("Songlist_CheckAudioCDTrack"));
            for (int k = 1; reader->hasNext() && !threadShouldExit(); ++k)
            {
                setItemText(CBJXResource::GetString("DiscOpen_SongNamePrefix") + " " + juce::String(k));
                TrackInfo* record = reader->next();
                if (record == nullptr)
                    continue;
                if (!insertRecord(record))
                    break;
                progress(((reader->getProgress() + j) * kFolderUnits + files) / total);
            }
        }
        else
        {
            setStatusMessage(CBJXResource::GetString("Songlist_SearchDirectory"));
            juce::StringArray found;
            collectFiles(folder, found);
            setStatusMessage(CBJXResource::GetString("Songlist_CheckFile"));
            const int n = found.size();
            for (int m = 0; m < n && !threadShouldExit(); ++m)
            {
                setItemText(juce::File(found[m]).getFileName());
                addItem(found[m], (files + kFolderUnits * j + m * static_cast<double>(kFolderUnits) / n) / total,
                        (static_cast<double>(kFolderUnits) / n) / total);
            }
        }
    }
}

void AddSongThreadWithProgressWindow::collectFiles(const juce::String& folder, juce::StringArray& out)
{
    out.clear();
    if (!juce::File::isAbsolutePath(folder) || !juce::File(folder).isDirectory())
    {
        out.add(folder);
        return;
    }
    // Every file at any depth, hidden ones included. Links are followed, but
    // never into a loop (the framework's default would walk a link to a
    // parent again and again).
    for (const auto& entry : juce::RangedDirectoryIterator(juce::File(folder), true, "*", juce::File::findFiles,
                                                           juce::File::FollowSymlinks::noCycles))
    {
        if (threadShouldExit())
            return;
        out.add(entry.getFile().getFullPathName());
    }
    SortPaths(out);
}

bool AddSongThreadWithProgressWindow::addItem(const juce::String& path, double shareStart, double shareWidth)
{
    if (path.isEmpty())
        return false;
    const bool folder = juce::File::isAbsolutePath(path) && juce::File(path).isDirectory();
    std::unique_ptr<TrackReader> reader;
    if (!folder && path.endsWithIgnoreCase(".qmpl"))
        reader = std::make_unique<TVSLReader>(juce::File::isAbsolutePath(path) ? juce::File(path) : juce::File());
    else
        reader = std::make_unique<AudioFileReader>(path);
    while (reader->hasNext())
    {
        TrackInfo* record = reader->next();
        if (record == nullptr)
            continue;
        if (threadShouldExit())
        {
            delete record;
            continue;
        }
        progress(shareStart + shareWidth);
        if (!insertRecord(record))
            break;
    }
    return true;
}

bool AddSongThreadWithProgressWindow::insertRecord(TrackInfo* record)
{
    // The name and the insertion under the message-manager lock: the message
    // thread steps songs from the controller's timer and must not meet the
    // list while it grows. The lock gives up when the thread is asked to
    // stop, so a cancel never waits here.
    const juce::MessageManagerLock lock(this);
    if (!lock.lockWasGained())
    {
        delete record;
        return false;
    }
    record->setTextField(m_host->MakeUniqueSongName(record->getTextField(TrackInfo::kSongName)), TrackInfo::kSongName,
                         true);
    const int row = m_nextRow.load();
    m_host->InsertTracks(row, record);
    m_nextRow.store(row + 1);
    return true;
}
} // namespace Tavrel
