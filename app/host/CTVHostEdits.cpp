// The controller's song-list edits: insert, remove, selection, moving,
// dividing, linking and combining songs, and unique song names.

#include <algorithm>

#include "app/host/CTVHost.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/tags/CMarker.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"

using Tavrel::TrackInfo;

namespace
{
// The legal-name step of a new song name: the characters a file name may not
// hold removed, at most 128 characters (keeping a short extension), trailing
// white space off, and "_" for nothing.
juce::String LegalSongName(const juce::String& name)
{
    const juce::String legal = juce::File::createLegalFileName(name).trimEnd();
    return legal.isEmpty() ? juce::String("_") : legal;
}

// A name as base and number: "Take.12" is ("Take", 12); a suffix that is not
// all digits, or starts with a zero, is part of the base (number -1).
struct SplitName
{
    juce::String base;
    int number = -1;
};

SplitName Split(const juce::String& name)
{
    const int dot = name.lastIndexOfChar('.');
    if (dot >= 0)
    {
        const juce::String suffix = name.substring(dot + 1);
        if (suffix.isNotEmpty() && suffix.containsOnly("0123456789") && !suffix.startsWithChar('0') &&
            suffix.length() <= 9)
            return {name.substring(0, dot), suffix.getIntValue()};
    }
    return {name, -1};
}

double LengthOf(const TrackInfo& record)
{
    return record.lengthHours * 3600.0 + record.lengthMinutes * 60.0 + record.lengthSeconds;
}

// The records at the rows (at least two), or false when a row holds none.
bool RecordsAt(const CTVHost& host, const std::vector<int>& rows, std::vector<TrackInfo*>& records)
{
    records.clear();
    for (int row : rows)
    {
        TrackInfo* record = host.GetTrack(row);
        if (record == nullptr)
            return false;
        records.push_back(record);
    }
    return records.size() >= 2;
}

// Hands the joined records (out of the list) and the new one back to a
// caller that asked; the joined records then belong to it, and otherwise
// they are deleted. Always true.
bool HandBack(const std::vector<TrackInfo*>& records, TrackInfo* made, std::vector<TrackInfo*>* joined,
              TrackInfo** created)
{
    if (joined != nullptr)
        *joined = records;
    else
        for (TrackInfo* record : records)
            delete record;
    if (created != nullptr)
        *created = made;
    return true;
}

std::vector<int> RowsOf(const juce::SparseSet<int>& set)
{
    std::vector<int> rows;
    for (int i = 0; i < set.size(); ++i)
        rows.push_back(set[i]);
    return rows;
}
} // namespace

// ---- the names index

void CTVHost::IndexName(const juce::String& name, int delta)
{
    if ((nameCounts[name] += delta) <= 0)
        nameCounts.erase(name);
    const SplitName split = Split(name);
    auto& numbers = baseNumbers[split.base];
    if ((numbers[split.number] += delta) <= 0)
        numbers.erase(split.number);
    if (numbers.empty())
        baseNumbers.erase(split.base);
}

void CTVHost::IndexRecord(TrackInfo* record, bool add)
{
    if (add)
    {
        const juce::String name = record->getTextField(TrackInfo::kSongName);
        indexedNames[record] = name;
        IndexName(name, +1);
        return;
    }
    const auto it = indexedNames.find(record);
    if (it == indexedNames.end())
        return;
    IndexName(it->second, -1);
    indexedNames.erase(it);
}

void CTVHost::RebuildNameIndex()
{
    const juce::ScopedLock guard(listLock);
    indexedNames.clear();
    nameCounts.clear();
    baseNumbers.clear();
    for (TrackInfo* record : tracks)
        IndexRecord(record, true);
}

void CTVHost::IndexAppendedRecord(TrackInfo* record)
{
    const juce::ScopedLock guard(listLock);
    if (record != nullptr && indexedNames.count(record) == 0)
        IndexRecord(record, true);
}

juce::String CTVHost::MakeUniqueSongName(const juce::String& name)
{
    const juce::ScopedLock guard(listLock);
    // Code that filled the list directly without telling the index.
    if (indexedNames.size() != tracks.size())
        RebuildNameIndex();
    const juce::String legal = LegalSongName(name);
    if (nameCounts.find(legal) == nameCounts.end())
        return legal;
    // A scan over the list would raise the number past every number of the
    // same base from the name's own number up; its answer is that of the
    // largest such number, whatever the order of the list.
    const SplitName split = Split(legal);
    int candidate = split.number;
    if (const auto it = baseNumbers.find(split.base); it != baseNumbers.end() && !it->second.empty())
    {
        const int largest = it->second.rbegin()->first;
        if (largest >= candidate)
            candidate = largest >= 1 ? largest + 1 : 1;
    }
    return split.base + "." + juce::String(candidate);
}

juce::String CTVHost::CheckNewSongName(const juce::String& oldName, const juce::String& newName, int row) const
{
    if (newName == oldName)
        return oldName;
    const juce::String legal = LegalSongName(newName);
    for (int i = 0; i < GetTrackCount(); ++i)
    {
        if (i != row && tracks[static_cast<size_t>(i)]->getTextField(TrackInfo::kSongName) == legal)
            return {};
    }
    return legal;
}

// ---- insert and remove

bool CTVHost::InsertTracks(int row, TrackInfo* record)
{
    if (record == nullptr)
        return false;
    const juce::ScopedLock guard(listLock);
    row = std::clamp(row, 0, GetTrackCount());
    tracks.insert(tracks.begin() + row, record);
    IndexRecord(record, true);
    record->addListener(this); // registers once
    if (row <= currentTrackIndex)
    {
        ++currentTrackIndex;
        NotifyCurrentTrackChanged();
    }
    NotifySongListChanged();
    return true;
}

bool CTVHost::RemoveTracks(int row, bool notify, bool moveCurrent, bool deleteRecord)
{
    const juce::ScopedLock guard(listLock);
    TrackInfo* record = GetTrack(row);
    if (record == nullptr)
        return false;
    record->removeListener(this);
    const bool wasCurrent = row == GetCurrentIndex();
    if (wasCurrent)
    {
        if (cueState != kCueNone)
        {
            cueState = kCueNone;
            PostCueMessage(kCueNone);
        }
        if (moveCurrent)
        {
            transportState = kStopped;
            player->Stop();
            CallListeners([&](CTVHostListener& l) { l.transportStateChanged(this, kStopped); });
            if (mode == kPlayerMode)
            {
                currentTrackIndex = -1;
                StopPlayback();
            }
            else
                sessionTrackIndex = -1;
            NotifyCurrentTrackChanged();
        }
    }
    tracks.erase(tracks.begin() + row);
    IndexRecord(record, false);
    record->isCurrent = false;
    if (notify)
        NotifySongListChanged();
    if (!tracks.empty() && moveCurrent)
    {
        if (wasCurrent)
        {
            const int next = row < GetTrackCount() ? row : 0;
            if (mode == kPlayerMode)
            {
                currentTrackIndex = next;
                for (TrackInfo* track : tracks)
                    track->isCurrent = false;
                tracks[static_cast<size_t>(next)]->isCurrent = true;
                OpenCurrentTrack();
            }
            else
                sessionTrackIndex = next;
            NotifyCurrentTrackChanged();
        }
        else if (mode == kPlayerMode && row < currentTrackIndex)
        {
            --currentTrackIndex;
            if (notify)
                NotifyCurrentTrackChanged();
        }
    }
    if (deleteRecord)
        delete record;
    return true;
}

void CTVHost::NotifySongListChanged()
{
    if (tracks.empty())
    {
        player->DetachSource();
        songReader->Close();
    }
    BuildShuffleOrder();
    const int count = GetTrackCount();
    CallListeners([&](CTVHostListener& l) { l.songListChanged(this, count); });
}

std::vector<CTVHostListener*> CTVHost::DetachAllListeners()
{
    const std::vector<CTVHostListener*> listeners = GetListeners();
    for (CTVHostListener* listener : listeners)
        RemoveListener(listener);
    return listeners;
}

void CTVHost::AttachListeners(const std::vector<CTVHostListener*>& listeners)
{
    for (CTVHostListener* listener : listeners)
        AddListener(listener); // each under the listener list's lock
}

void CTVHost::NotifyCurrentTrackChanged()
{
    const int index = GetCurrentIndex();
    CallListeners([&](CTVHostListener& l) { l.currentTrackChanged(this, index); });
}

// ---- selection

void CTVHost::SetSelection(const juce::SparseSet<int>& rows, int flag)
{
    // Rows beyond the list are dropped before the comparison, so that the
    // listeners hear of the selection as it is stored, and only of a change.
    juce::SparseSet<int> kept = rows;
    kept.removeRange({GetTrackCount(), std::numeric_limits<int>::max()});
    if (kept == selection)
        return;
    selection = kept;
    UpdateSelectionFlags();
    CallListeners([&](CTVHostListener& l) { l.selectionChanged(this, selection, flag); });
}

void CTVHost::SelectRange(int count, int start, int flag)
{
    if (count <= 0)
        return;
    juce::SparseSet<int> rows;
    rows.addRange({start, start + count});
    SetSelection(rows, flag);
}

bool CTVHost::CanJoin(TrackInfo* first, TrackInfo* other, bool sameChannels) const
{
    return first != nullptr && other != nullptr && first->readable && other->readable && !first->compressed &&
           first->formatName == other->formatName && first->sampleRate == other->sampleRate &&
           first->bitsPerSample == other->bitsPerSample && (!sameChannels || first->channels == other->channels);
}

void CTVHost::UpdateSelectionFlags()
{
    canCombine = false;
    canLinkChannels = false;
    const std::vector<int> rows = RowsOf(selection);
    if (rows.size() < 2 || mode != kPlayerMode)
        return;
    TrackInfo* first = GetTrack(rows[0]);
    canCombine = true;
    for (size_t i = 1; i < rows.size() && canCombine; ++i)
        canCombine = CanJoin(first, GetTrack(rows[i]), true);
    canLinkChannels = rows.size() % 2 == 0;
    for (size_t i = 0; i + 1 < rows.size() && canLinkChannels; i += 2)
    {
        TrackInfo* a = GetTrack(rows[i]);
        TrackInfo* b = GetTrack(rows[i + 1]);
        canLinkChannels = a != nullptr && b != nullptr && a->channels == 1 && b->channels == 1 && CanJoin(a, b, false);
    }
}

// ---- moving

void CTVHost::PermutateTracks(const juce::SparseSet<int>& moved, int dropRow)
{
    TrackInfo* current = GetTrack(currentTrackIndex);
    std::vector<TrackInfo*> before, block, after;
    for (int row = 0; row < GetTrackCount(); ++row)
    {
        TrackInfo* record = tracks[static_cast<size_t>(row)];
        if (moved.contains(row))
            block.push_back(record);
        else if (row < dropRow)
            before.push_back(record);
        else
            after.push_back(record);
    }
    tracks.clear();
    tracks.insert(tracks.end(), before.begin(), before.end());
    tracks.insert(tracks.end(), block.begin(), block.end());
    tracks.insert(tracks.end(), after.begin(), after.end());

    juce::SparseSet<int> placed;
    if (!block.empty())
        placed.addRange({static_cast<int>(before.size()), static_cast<int>(before.size() + block.size())});
    SetSelection(placed, 0);
    NotifySongListChanged();
    if (current != nullptr)
        SetCurrentTrack(IndexOfTrack(current), false, false);
}

void CTVHost::UndoPermutation(const std::vector<TrackInfo*>& order, const juce::SparseSet<int>& oldSelection)
{
    if (order.size() != tracks.size())
        return;
    TrackInfo* current = GetTrack(currentTrackIndex);
    tracks = order;
    SetSelection(oldSelection, 0);
    NotifySongListChanged();
    if (current != nullptr)
        SetCurrentTrack(IndexOfTrack(current), false, false);
}

// ---- dividing, linking, combining

bool CTVHost::DivideTrack(double position, TrackInfo** divided, TrackInfo** first, TrackInfo** second)
{
    const int row = GetCurrentIndex();
    TrackInfo* record = GetTrack(row);
    if (mode != kPlayerMode || cueState != kCueNone || record == nullptr || position <= 0.0 ||
        position >= record->getLengthInSeconds())
        return false;
    // The song is split in whole frames, one cut for every section, through
    // a reader that holds it open.
    CSongRead reader;
    if (!reader.Open(record->song.get()))
        return false;
    const bool wasPlaying = transportState == kPlaying;

    auto* a = new TrackInfo(*record);
    auto* b = new TrackInfo(*record);
    a->setIntControl(TrackInfo::kFadeOutType, 0);
    a->setFloatControl(TrackInfo::kFadeOutTime, 0.0f);
    b->setIntControl(TrackInfo::kFadeInType, 0);
    b->setFloatControl(TrackInfo::kFadeInTime, 0.0f);
    reader.SplitAt(a->song.get(), b->song.get(), position);
    reader.Close();
    record->markers->SplitAt(*a->markers, *b->markers, position);
    a->isReadable();
    b->isReadable();
    b->setTextField(MakeUniqueSongName(record->getTextField(TrackInfo::kSongName)), TrackInfo::kSongName, false);

    RemoveTracks(row, false, false, false);
    InsertTracks(row, a);
    InsertTracks(row + 1, b);
    SelectRange(2, row, 0);
    SetCurrentTrack(row, true, false);
    if (wasPlaying)
        SetTransportState(kPlaying);
    // The undivided record goes to who asked for it (the undo keeps it);
    // otherwise nobody holds it any more.
    if (divided != nullptr)
        *divided = record;
    else
        delete record;
    if (first != nullptr)
        *first = a;
    if (second != nullptr)
        *second = b;
    return true;
}

void CTVHost::FinishJoin(const std::vector<int>& rows, const std::vector<TrackInfo*>& joined, TrackInfo* created,
                         TrackInfo* previousCurrent, bool selectCreated)
{
    // The joined records leave the list (the action keeps them), the new one
    // takes the first row, and the current song stays on the same music: on
    // the new record (reopened) when it was one of the joined, else on its
    // own record at its new row (not reopened).
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        RemoveTracks(*it, false, false, false);
    InsertTracks(rows[0], created);
    if (selectCreated)
        SelectRange(1, rows[0], 0);
    if (previousCurrent == nullptr)
        return;
    if (std::find(joined.begin(), joined.end(), previousCurrent) != joined.end())
        SetCurrentTrack(IndexOfTrack(created), true, false);
    else
        SetCurrentTrack(IndexOfTrack(previousCurrent), false, false);
}

bool CTVHost::LinkChannels(const juce::SparseSet<int>& pair, std::vector<TrackInfo*>* joined, TrackInfo** created)
{
    const juce::ScopedLock guard(listLock);
    const std::vector<int> rows = RowsOf(pair);
    std::vector<TrackInfo*> records;
    if (!RecordsAt(*this, rows, records))
        return false;
    TrackInfo* current = GetTrack(GetCurrentIndex());
    auto* linked = new TrackInfo(*records[0]);
    linked->setFloatControl(TrackInfo::kBalance, 0.0f);
    CPlaylistSong& song = *linked->song;
    for (size_t r = 1; r < records.size(); ++r)
    {
        const CPlaylistSong& other = *records[r]->song;
        for (int s = 0; s < song.GetSectionCount() && s < other.GetSectionCount(); ++s)
        {
            const CPlaylistSection* from = other.GetSection(s);
            for (int t = 0; t < from->GetTrackCount(); ++t)
                song.GetSection(s)->AddTrack()->CopyFrom(*from->GetTrack(t));
        }
    }
    linked->isReadable();
    FinishJoin(rows, records, linked, current, false);
    return HandBack(records, linked, joined, created);
}

bool CTVHost::CombineTracks(const juce::SparseSet<int>& rows, std::vector<TrackInfo*>* joined, TrackInfo** created)
{
    const juce::ScopedLock guard(listLock);
    const std::vector<int> order = RowsOf(rows);
    std::vector<TrackInfo*> records;
    if (!RecordsAt(*this, order, records))
        return false;
    TrackInfo* current = GetTrack(GetCurrentIndex());
    auto* combined = new TrackInfo(*records[0]);
    double offset = LengthOf(*records[0]);
    for (size_t r = 1; r < records.size(); ++r)
    {
        const CPlaylistSong& other = *records[r]->song;
        for (int s = 0; s < other.GetSectionCount(); ++s)
            combined->song->AddSection()->CopyFrom(*other.GetSection(s));
        const CMarker& marks = *records[r]->markers;
        for (int m = 0; m < marks.GetCount(); ++m)
            combined->markers->Add(marks.GetAt(m) + offset);
        offset += LengthOf(*records[r]);
    }
    combined->isReadable();
    FinishJoin(order, records, combined, current, true);
    return HandBack(records, combined, joined, created);
}
