#include "engine/audiofile/song/CPlaylistSong.h"

namespace
{
// Deletes the children of a node from the last to the first.
template <typename T>
void DeleteChildren(std::vector<std::unique_ptr<T>>& children)
{
    while (!children.empty())
        children.pop_back();
}

template <typename T>
T* ChildAt(const std::vector<std::unique_ptr<T>>& children, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= children.size())
        return nullptr;
    return children[static_cast<size_t>(index)].get();
}
} // namespace

// ---- CPlaylistFile

void CPlaylistFile::CopyFrom(const CPlaylistFile& source)
{
    m_path = source.m_path;
    m_start = source.m_start;
    m_end = source.m_end;
    m_mediaUniqueId = source.m_mediaUniqueId;
}

// ---- CPlaylistTrack

CPlaylistTrack::~CPlaylistTrack()
{
    DeleteChildren(m_files);
}

CPlaylistFile* CPlaylistTrack::AddFile()
{
    m_files.push_back(std::make_unique<CPlaylistFile>());
    return m_files.back().get();
}

void CPlaylistTrack::CopyFrom(const CPlaylistTrack& source)
{
    if (&source == this)
        return;
    DeleteChildren(m_files);
    for (const auto& file : source.m_files)
        AddFile()->CopyFrom(*file);
}

int CPlaylistTrack::GetFileCount() const
{
    return static_cast<int>(m_files.size());
}

CPlaylistFile* CPlaylistTrack::GetFile(int index) const
{
    return ChildAt(m_files, index);
}

// ---- CPlaylistSection

CPlaylistSection::~CPlaylistSection()
{
    DeleteChildren(m_tracks);
}

CPlaylistTrack* CPlaylistSection::AddTrack()
{
    m_tracks.push_back(std::make_unique<CPlaylistTrack>());
    return m_tracks.back().get();
}

void CPlaylistSection::CopyFrom(const CPlaylistSection& source)
{
    if (&source == this)
        return;
    DeleteChildren(m_tracks);
    for (const auto& track : source.m_tracks)
        AddTrack()->CopyFrom(*track);
}

bool CPlaylistSection::IsContinuedBy(const CPlaylistSection* next) const
{
    if (next == nullptr || m_tracks.empty() || m_tracks.size() != next->m_tracks.size())
        return false;

    for (size_t i = 0; i < m_tracks.size(); ++i)
    {
        const CPlaylistTrack* earlier = m_tracks[i].get();
        const CPlaylistTrack* later = next->m_tracks[i].get();
        const int earlierCount = earlier->GetFileCount();
        if (earlierCount == 0)
            return false;
        const CPlaylistFile* last = earlier->GetFile(earlierCount - 1);
        const CPlaylistFile* first = later->GetFile(0);
        if (first == nullptr)
            return false;
        if (last->GetPath() != first->GetPath())
            return false;
        if (last->GetEnd() != first->GetStart())
            return false;
        if (last->GetMediaUniqueId() != 0 && last->GetMediaUniqueId() != first->GetMediaUniqueId())
            return false;
    }
    return true;
}

int CPlaylistSection::GetTrackCount() const
{
    return static_cast<int>(m_tracks.size());
}

CPlaylistTrack* CPlaylistSection::GetTrack(int index) const
{
    return ChildAt(m_tracks, index);
}

// ---- CPlaylistSong

CPlaylistSong::~CPlaylistSong()
{
    Clear();
}

CPlaylistSection* CPlaylistSong::AddSection()
{
    m_sections.push_back(std::make_unique<CPlaylistSection>());
    return m_sections.back().get();
}

void CPlaylistSong::Clear()
{
    DeleteChildren(m_sections);
    m_name.clear();
    m_marker.Clear();
}

void CPlaylistSong::CopyFrom(const CPlaylistSong& source)
{
    if (&source == this)
        return;
    Clear();
    for (const auto& section : source.m_sections)
        AddSection()->CopyFrom(*section);
    m_marker.CopyFrom(source.m_marker);
}

int CPlaylistSong::GetSectionCount() const
{
    return static_cast<int>(m_sections.size());
}

CPlaylistSection* CPlaylistSong::GetSection(int index) const
{
    return ChildAt(m_sections, index);
}

// ---- continuation

bool ContinuesSeamlessly(const CPlaylistSong* next, const CPlaylistSong* previous)
{
    if (next == nullptr || previous == nullptr || previous->GetSectionCount() == 0)
        return false;
    const CPlaylistSection* last = previous->GetSection(previous->GetSectionCount() - 1);
    return last->IsContinuedBy(next->GetSection(0));
}
