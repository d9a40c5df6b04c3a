#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/tags/CMarker.h"

// The song model: a song is a sequence of sections played one after another;
// a section holds tracks played in parallel on consecutive channels; a track is
// a sequence of file segments played one after another. Every node owns its
// children; copies are deep. The tree holds no audio and opens no file.

// One audio file (or audio-CD track) and the range of its frames that belongs
// to the song. End is exclusive; -1 means to the end of the file. The media
// unique id names the medium the path refers to (0 = none).
class CPlaylistFile
{
public:
    CPlaylistFile() = default;
    virtual ~CPlaylistFile() = default;

    CPlaylistFile(const CPlaylistFile&) = delete;
    CPlaylistFile& operator=(const CPlaylistFile&) = delete;

    // Copies path, start, end and media unique id.
    void CopyFrom(const CPlaylistFile& source);

    const std::u16string& GetPath() const { return m_path; }
    void SetPath(const std::u16string& path) { m_path = path; }
    int64_t GetStart() const { return m_start; }
    void SetStart(int64_t frame) { m_start = frame; }
    int64_t GetEnd() const { return m_end; }
    void SetEnd(int64_t frame) { m_end = frame; }
    uint32_t GetMediaUniqueId() const { return m_mediaUniqueId; }
    void SetMediaUniqueId(uint32_t id) { m_mediaUniqueId = id; }

private:
    std::u16string m_path;
    int64_t m_start = 0;
    int64_t m_end = -1;
    uint32_t m_mediaUniqueId = 0;
};

// File segments played one after another.
class CPlaylistTrack
{
public:
    CPlaylistTrack() = default;
    virtual ~CPlaylistTrack();

    CPlaylistTrack(const CPlaylistTrack&) = delete;
    CPlaylistTrack& operator=(const CPlaylistTrack&) = delete;

    // Appends a new segment (empty path, start 0, end -1, id 0) and returns it.
    CPlaylistFile* AddFile();
    // Replaces the own segments by copies of the source's.
    void CopyFrom(const CPlaylistTrack& source);

    int GetFileCount() const;
    // The segment at the index; null for an index out of range.
    CPlaylistFile* GetFile(int index) const;

private:
    std::vector<std::unique_ptr<CPlaylistFile>> m_files;
};

// Tracks played in parallel: track i feeds output channel group i.
class CPlaylistSection
{
public:
    CPlaylistSection() = default;
    virtual ~CPlaylistSection();

    CPlaylistSection(const CPlaylistSection&) = delete;
    CPlaylistSection& operator=(const CPlaylistSection&) = delete;

    // Appends a new empty track and returns it.
    CPlaylistTrack* AddTrack();
    // Replaces the own tracks by deep copies of the source's.
    void CopyFrom(const CPlaylistSection& source);

    // True when `next` begins exactly where this section ends: the same number
    // of tracks, and in every track the first segment of `next` has the path of
    // this track's last segment and starts at its end (and, when the earlier
    // segment has a media unique id, carries the same id).
    bool IsContinuedBy(const CPlaylistSection* next) const;

    int GetTrackCount() const;
    // The track at the index; null for an index out of range.
    CPlaylistTrack* GetTrack(int index) const;

private:
    std::vector<std::unique_ptr<CPlaylistTrack>> m_tracks;
};

// A song: its sections, a name of its own and its marks.
class CPlaylistSong
{
public:
    CPlaylistSong() = default;
    virtual ~CPlaylistSong();

    CPlaylistSong(const CPlaylistSong&) = delete;
    CPlaylistSong& operator=(const CPlaylistSong&) = delete;

    // Appends a new empty section and returns it.
    CPlaylistSection* AddSection();
    // Deletes every section, empties the name and removes every mark.
    void Clear();
    // Deep copy of the sections and the marks; the name is left empty.
    // Copying a song into itself does nothing.
    void CopyFrom(const CPlaylistSong& source);

    int GetSectionCount() const;
    // The section at the index; null for an index out of range.
    CPlaylistSection* GetSection(int index) const;

    const std::u16string& GetName() const { return m_name; }
    void SetName(const std::u16string& name) { m_name = name; }

    CMarker* GetMarker() { return &m_marker; }
    const CMarker* GetMarker() const { return &m_marker; }

private:
    std::vector<std::unique_ptr<CPlaylistSection>> m_sections;
    std::u16string m_name;
    CMarker m_marker;
};

// True when `next` begins exactly where `previous` ends (the last section of
// `previous` is continued by the first section of `next`). False when either
// song is null or `previous` has no section.
bool ContinuesSeamlessly(const CPlaylistSong* next, const CPlaylistSong* previous);
