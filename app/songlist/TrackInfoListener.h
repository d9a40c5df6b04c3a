#pragma once

namespace Tavrel
{
class TrackInfo;

// Observer of one song record. Every operation has an empty default, so an
// observer overrides only what it follows. Records never own or delete their
// observers; an observer removes itself from each record before it goes away.
class TrackInfoListener
{
public:
    // A mark was added or moved (its index now) or the marks changed as a
    // whole (-1).
    virtual void markersChanged(TrackInfo* /*track*/, int /*markerIndex*/) {}
    // Text field 0..11 changed.
    virtual void textChanged(TrackInfo* /*track*/, int /*field*/) {}
    virtual void pictureChanged(TrackInfo* /*track*/) {}
    // Control target 0..6 changed (0 gain, 1 fade-in type, 2 fade-in time,
    // 3 fade-out type, 4 fade-out time, 5 DC cut, 6 balance).
    virtual void controlChanged(TrackInfo* /*track*/, int /*target*/) {}
    // The format data was measured again from the song's sources, or the
    // sources were relocated.
    virtual void dataSpecChanged(TrackInfo* /*track*/) {}

protected:
    // Never deleted through this interface.
    ~TrackInfoListener() = default;
};
} // namespace Tavrel
