#include "engine/audiofile/tags/CMarker.h"

#include <cmath>
#include <limits>

int64_t CMarker::MillisecondKey(double seconds)
{
    const double scaled = seconds * 1000.0 + 0.5;
    // Beyond the 64-bit range the key saturates instead of being undefined.
    constexpr double limit = 9223372036854775807.0;
    if (scaled >= limit)
        return std::numeric_limits<int64_t>::max();
    if (scaled <= -limit)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(scaled); // truncates toward zero
}

bool CMarker::Add(double seconds)
{
    // A NaN or infinite time would break the ordering of the list.
    if (!std::isfinite(seconds))
        return false;

    const int64_t key = MillisecondKey(seconds);
    auto it = m_times.begin();
    for (; it != m_times.end(); ++it)
    {
        const int64_t existing = MillisecondKey(*it);
        if (existing == key)
            return false;
        if (existing > key)
            break;
    }
    m_times.insert(it, seconds);
    return true;
}

bool CMarker::Remove(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    m_times.erase(m_times.begin() + index);
    return true;
}

int CMarker::FindIndex(double seconds) const
{
    int found = -1;
    for (int i = 0; i < GetCount(); ++i)
    {
        if (!(m_times[static_cast<size_t>(i)] <= seconds))
            break;
        found = i;
    }
    return found;
}

void CMarker::SplitAt(CMarker& before, CMarker& after, double seconds) const
{
    // Work from a copy, so that a target may be this list itself.
    const std::vector<double> source = m_times;
    before.Clear();
    after.Clear();
    // A split at a time that is not a finite number keeps every mark in the
    // first part: shifting by it would make every later mark invalid.
    const bool finite = std::isfinite(seconds);
    size_t i = 0;
    for (; i < source.size() && (!finite || source[i] < seconds); ++i)
        before.Add(source[i]);
    for (; i < source.size(); ++i)
        after.Add(source[i] - seconds);
}

void CMarker::CopyFrom(const CMarker& source)
{
    if (&source == this)
        return;
    m_times.clear();
    for (double t : source.m_times)
        Add(t);
}

void CMarker::Clear()
{
    m_times.clear();
}

int CMarker::GetCount() const
{
    return static_cast<int>(m_times.size());
}

double CMarker::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return 0.0;
    return m_times[static_cast<size_t>(index)];
}
