#pragma once

#include <cstdint>
#include <vector>

// The marks of a song or stream: times in seconds, kept in ascending order.
// Two marks never share the same millisecond key (the time x 1000 rounded half
// up toward zero); the stored value is the time that was passed in, not the key.
class CMarker
{
public:
    CMarker() = default;
    virtual ~CMarker() = default;

    CMarker(const CMarker&) = delete;
    CMarker& operator=(const CMarker&) = delete;

    // Inserts a mark in order. False (nothing changes) when a mark with the
    // same millisecond key exists, or when the time is not a finite number.
    bool Add(double seconds);

    // Removes the mark at the index; false when the index is out of range.
    bool Remove(int index);

    // Index of the last mark at or before the time; -1 when there is none.
    int FindIndex(double seconds) const;

    // Empties both targets, then puts into `before` every mark strictly before
    // the time and into `after` every other mark shifted by minus the time.
    // Either target may be this list itself.
    void SplitAt(CMarker& before, CMarker& after, double seconds) const;

    // Empties the list and adds every time of the source in order.
    void CopyFrom(const CMarker& source);

    void Clear();
    int GetCount() const;

    // The time of the mark at the index; 0.0 for an index out of range.
    double GetAt(int index) const;

    // The millisecond key by which marks are told apart.
    static int64_t MillisecondKey(double seconds);

private:
    std::vector<double> m_times;
};
