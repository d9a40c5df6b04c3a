#include "app/commands/SongListActions.h"

#include <algorithm>

#include "app/adding/AddSongThreadWithProgressWindow.h"
#include "app/core/CBJXResource.h"
#include "app/core/UiServices.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"

namespace Tavrel
{
namespace
{
std::vector<int> RowsOf(const juce::SparseSet<int>& set)
{
    std::vector<int> rows;
    for (int i = 0; i < set.size(); ++i)
        rows.push_back(set[i]);
    return rows;
}

// Stopping for an edit: playback stops when the current song is one of the
// rows.
void StopForEdit(CTVHost& host, const juce::SparseSet<int>& rows)
{
    if (rows.contains(host.GetCurrentIndex()))
        host.StopPlayback();
}

// Making a row current: in player mode stopped, flagged and opened; in
// session mode only the session's current song; the listeners are told.
void MakeCurrent(CTVHost& host, int row)
{
    host.SetCurrentTrack(row, true, false);
}
// After a combine or a link: the joined records, out of the list now, are
// held; a refused join holds nothing. Passes the join's result on.
bool HoldJoined(bool joinedOk, const std::vector<TrackInfo*>& joined, HeldRecords& held)
{
    if (!joinedOk)
        return false;
    for (TrackInfo* record : joined)
        held.add(record);
    return true;
}

// Undoing a combine or a link: the joined song at the first row is removed
// and deleted, and the held records go back to their rows. `wasCurrent` says
// whether the joined song was the current one.
bool PutBackJoined(CTVHost& host, const juce::SparseSet<int>& rowSet, HeldRecords& held, bool& wasCurrent)
{
    const std::vector<int> rows = RowsOf(rowSet);
    if (rows.empty() || held.size() != rows.size())
        return false;
    wasCurrent = host.GetCurrentIndex() == rows.front();
    host.RemoveTracks(rows.front(), true, true, true);
    for (size_t i = 0; i < rows.size(); ++i)
        host.InsertTracks(rows[i], held[i]);
    held.release();
    return true;
}
} // namespace

HeldRecords::~HeldRecords()
{
    clear();
}

void HeldRecords::clear()
{
    for (TrackInfo* record : m_records)
        delete record;
    m_records.clear();
}

// ---- remove

RemoveSongAction::RemoveSongAction(CTVHost& host, const juce::SparseSet<int>& rows)
    : m_host(host),
      m_rows(rows)
{
}

bool RemoveSongAction::perform()
{
    const std::vector<int> rows = RowsOf(m_rows);
    std::vector<std::pair<int, TrackInfo*>> removed;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
    {
        TrackInfo* record = m_host.GetTrack(*it);
        // A record is held only once it has left the list.
        if (record != nullptr && m_host.RemoveTracks(*it, true, true, false))
            removed.emplace_back(*it, record);
    }
    std::sort(removed.begin(), removed.end());
    for (const auto& [row, record] : removed)
    {
        m_removed.addRange({row, row + 1});
        m_heldRows.push_back(row);
        m_held.add(record);
    }
    if (m_host.GetTrackCount() == 0)
        m_host.SetSelection({}, 0);
    else if (!rows.empty())
        m_host.SelectRange(1, std::clamp(rows.front(), 0, m_host.GetTrackCount() - 1), 0);
    return !removed.empty();
}

bool RemoveSongAction::undo()
{
    bool ok = true;
    for (size_t i = 0; i < m_held.size(); ++i)
        ok = m_host.InsertTracks(m_heldRows[i], m_held[i]) && ok;
    const int reinserted = static_cast<int>(m_held.size());
    m_held.release();
    m_heldRows.clear();
    if (m_host.GetTrackCount() == reinserted && reinserted > 0)
        MakeCurrent(m_host, 0);
    m_host.SetSelection(m_removed, 0);
    m_removed.clear();
    return ok;
}

// ---- permutate

PermutateAction::PermutateAction(CTVHost& host, const juce::SparseSet<int>& moved, int dropRow)
    : m_host(host),
      m_moved(moved),
      m_dropRow(dropRow)
{
}

bool PermutateAction::perform()
{
    m_previousOrder = m_host.tracks;
    m_host.PermutateTracks(m_moved, m_dropRow);
    return true;
}

bool PermutateAction::undo()
{
    m_host.UndoPermutation(m_previousOrder, m_moved);
    m_previousOrder.clear();
    return true;
}

// ---- combine and link

CombineSongAction::CombineSongAction(CTVHost& host, const juce::SparseSet<int>& rows)
    : m_host(host),
      m_rows(rows)
{
}

bool CombineSongAction::perform()
{
    m_previousCurrent = m_host.GetCurrentIndex();
    StopForEdit(m_host, m_rows);
    std::vector<TrackInfo*> joined;
    return HoldJoined(m_host.CombineTracks(m_rows, &joined, nullptr), joined, m_held);
}

bool CombineSongAction::undo()
{
    bool combinedWasCurrent = false;
    if (!PutBackJoined(m_host, m_rows, m_held, combinedWasCurrent))
        return false;
    m_host.SetCurrentTrack(m_previousCurrent, combinedWasCurrent, false);
    m_host.SetSelection(m_rows, 0);
    return true;
}

ChannelLinkAction::ChannelLinkAction(CTVHost& host, const juce::SparseSet<int>& rows)
    : m_host(host),
      m_rows(rows)
{
}

bool ChannelLinkAction::perform()
{
    StopForEdit(m_host, m_rows);
    std::vector<TrackInfo*> joined;
    return HoldJoined(m_host.LinkChannels(m_rows, &joined, nullptr), joined, m_held);
}

bool ChannelLinkAction::undo()
{
    bool linkedWasCurrent = false;
    if (!PutBackJoined(m_host, m_rows, m_held, linkedWasCurrent))
        return false;
    if (linkedWasCurrent)
        MakeCurrent(m_host, m_rows[0]);
    m_host.SetSelection(m_rows, 0);
    return true;
}

// ---- divide

DivideSongAction::DivideSongAction(CTVHost& host, int row, double position)
    : m_host(host),
      m_row(row),
      m_position(position)
{
}

bool DivideSongAction::perform()
{
    if (m_host.GetTrack(m_row) == nullptr)
        return false;
    m_previousCurrent = m_host.GetCurrentIndex();
    if (m_previousCurrent != m_row)
        MakeCurrent(m_host, m_row);
    TrackInfo* divided = nullptr;
    if (!m_host.DivideTrack(m_position, &divided))
    {
        if (m_previousCurrent != m_row)
            MakeCurrent(m_host, m_previousCurrent);
        return false;
    }
    m_held.add(divided);
    return true;
}

bool DivideSongAction::undo()
{
    if (m_held.size() != 1)
        return false;
    m_host.RemoveTracks(m_row, true, true, true);
    m_host.RemoveTracks(m_row, true, true, true);
    m_host.InsertTracks(m_row, m_held[0]);
    m_held.release();
    MakeCurrent(m_host, m_previousCurrent);
    m_host.SelectRange(1, m_previousCurrent, 0);
    return true;
}

// ---- add

AddSongAction::AddSongAction(CTVHost& host, const juce::StringArray& files, int insertRow)
    : m_host(host),
      m_files(files),
      m_insertRow(insertRow)
{
}

void AddSongAction::announce()
{
    m_host.NotifySongListChanged();
    m_host.NotifyCurrentTrackChanged();
    if (m_host.GetTrackCount() == m_added && m_added > 0)
        MakeCurrent(m_host, 0);
    m_host.SelectRange(m_added, m_insertRow, 0);
}

bool AddSongAction::perform()
{
    if (m_performed)
    {
        for (size_t k = 0; k < m_held.size(); ++k)
            m_host.InsertTracks(m_insertRow + static_cast<int>(k), m_held[k]);
        m_held.release();
        announce();
        return true;
    }
    m_insertRow = std::clamp(m_insertRow, 0, m_host.GetTrackCount());
    // Nothing of the user interface may be called from the add-songs thread:
    // the listeners are away while it runs, and come back in their order.
    const std::vector<CTVHostListener*> listeners = m_host.DetachAllListeners();
    {
        AddSongThreadWithProgressWindow adder(m_files, m_insertRow);
        adder.runThread();
        m_added = adder.getNextRow() - m_insertRow;
    }
    m_host.AttachListeners(listeners);
    m_performed = true;
    if (m_added <= 0)
        return false;
    announce();
    return true;
}

bool AddSongAction::undo()
{
    for (int k = 0; k < m_added; ++k)
    {
        TrackInfo* record = m_host.GetTrack(m_insertRow);
        if (record == nullptr || !m_host.RemoveTracks(m_insertRow, true, true, false))
            return false;
        m_held.add(record);
    }
    return true;
}

AddSongActionAtEnd::AddSongActionAtEnd(CTVHost& host, const juce::StringArray& files)
    : AddSongAction(host, files, host.GetTrackCount())
{
}

// ---- picture

ChangePictureAction::ChangePictureAction(CTVHost& host, int row, const juce::String& newPath)
    : m_host(host),
      m_row(row),
      m_newPath(newPath)
{
}

bool ChangePictureAction::perform()
{
    TrackInfo* record = m_host.GetTrack(m_row);
    if (record == nullptr)
        return false;
    m_oldPath = record->getPicturePath();
    record->setPicturePath(m_newPath);
    return true;
}

bool ChangePictureAction::undo()
{
    TrackInfo* record = m_host.GetTrack(m_row);
    if (record == nullptr)
        return false;
    record->setPicturePath(m_oldPath);
    return true;
}
} // namespace Tavrel

// ---- rename

CTVActionRename::CTVActionRename(CTVHost& host, int row, int field, const juce::String& newText, bool makeUnique)
    : m_host(host),
      m_row(row),
      m_field(field),
      m_newText(newText),
      m_makeUnique(makeUnique)
{
}

bool CTVActionRename::perform()
{
    using Tavrel::TrackInfo;
    TrackInfo* record = m_host.GetTrack(m_row);
    if (record == nullptr || m_field < 0 || m_field >= TrackInfo::kTextFieldCount)
        return false;
    m_oldText = record->getTextField(m_field);
    if (m_field != TrackInfo::kSongName)
    {
        record->setTextField(m_newText, m_field, true);
        return true;
    }
    if (m_newText.isEmpty() && !m_makeUnique)
        return false;
    juce::String accepted = m_host.CheckNewSongName(m_oldText, m_newText, m_row);
    if (accepted.isEmpty())
    {
        if (!m_makeUnique)
        {
            Tavrel::UiServices::get().showOkMessageBox(juce::MessageBoxIconType::WarningIcon,
                                                       CBJXResource::GetString("Common_ErrorDialogTitle"),
                                                       CBJXResource::GetString("Songlist_CannotRename"), {});
            return false;
        }
        accepted = m_host.MakeUniqueSongName(m_newText);
    }
    record->setTextField(accepted, m_field, true);
    return true;
}

bool CTVActionRename::undo()
{
    using Tavrel::TrackInfo;
    TrackInfo* record = m_host.GetTrack(m_row);
    if (record == nullptr || m_field < 0 || m_field >= TrackInfo::kTextFieldCount)
        return false;
    record->setTextField(m_oldText, m_field, true);
    m_host.SelectRange(1, m_row, 0);
    return true;
}
