#pragma once

namespace Tavrel
{
class TrackInfo;

// Turns one source of songs (an audio file, the disc in a CD drive, a
// song-list file) into new song records, one at a time. Used by one thread at
// a time; readers only create records.
class TrackReader
{
public:
    virtual ~TrackReader() = default;

    // Another item is left.
    virtual bool hasNext() = 0;
    // A new record for the next item, owned by the caller; null when there
    // is none.
    virtual TrackInfo* next() = 0;
    // 0..1.
    virtual double getProgress() = 0;
    // The last item's source is still being prepared in the background.
    virtual bool isPreparing() { return false; }
    virtual void prepare() {}
};
} // namespace Tavrel
