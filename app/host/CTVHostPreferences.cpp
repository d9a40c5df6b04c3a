// The controller's player preferences and recent song lists, kept as values
// under the preferences key.

#include "app/core/CTVPreferences.h"
#include "app/host/CTVHost.h"

namespace
{
const char* const kPlayerModeValue = "PlayerMode";
const char* const kPlayerRepeatValue = "PlayerRepeat";
const char* const kPeakHoldValue = "PlayerPeakHoldPeakLevel";
const char* const kClipHoldValue = "PlayerPeakHoldClipIndicator";

juce::String RecentName(int n)
{
    return "RecentSonglist_" + juce::String(n);
}

// The preferences for the length of a call.
class Preferences
{
public:
    Preferences()
        : m_preferences(CTVPreferences::GetInstance())
    {
    }
    ~Preferences() { CTVPreferences::Release(); }
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    bool isOpen() const { return m_preferences != nullptr && m_preferences->IsOpen(); }
    CTVPreferences* operator->() const { return m_preferences; }

private:
    CTVPreferences* m_preferences;
};
} // namespace

void CTVHost::loadPlayerPreferences()
{
    Preferences preferences;
    const bool open = preferences.isOpen();
    // The settings file is plain text: a mode that names no play mode would
    // hold every song at its end with nothing to go on to, so it reads as one
    // song.
    int storedMode = open ? preferences->GetInt(kPlayerModeValue, kPlayOneSong) : kPlayOneSong;
    if (storedMode < kPlayOneSong || storedMode > kPlayShuffle)
        storedMode = kPlayOneSong;
    playMode = storedMode;
    UpdateHoldAtEnd();
    BuildShuffleOrder();

    repeat = open && preferences->GetInt(kPlayerRepeatValue, 0) == 1;
    UpdateHoldAtEnd();

    peakHoldTimeMs = open ? preferences->GetInt(kPeakHoldValue, kDefaultHoldTimeMs) : kDefaultHoldTimeMs;
    clipHoldTimeMs = open ? preferences->GetInt(kClipHoldValue, kDefaultHoldTimeMs) : kDefaultHoldTimeMs;
}

void CTVHost::savePlayerPreferences()
{
    Preferences preferences;
    if (!preferences.isOpen())
        return;
    preferences->SetInt(kPlayerModeValue, playMode);
    preferences->SetInt(kPlayerRepeatValue, repeat ? 1 : 0);
    preferences->SetInt(kPeakHoldValue, peakHoldTimeMs);
    preferences->SetInt(kClipHoldValue, clipHoldTimeMs);
}

void CTVHost::loadRecentSonglists()
{
    recentSongLists.clear();
    Preferences preferences;
    if (!preferences.isOpen())
        return;
    for (int n = 0; n < kMaxRecentSongLists; ++n)
    {
        const juce::String path = preferences->GetString(RecentName(n), {});
        if (path.isNotEmpty() && juce::File::isAbsolutePath(path) && juce::File(path).existsAsFile())
            recentSongLists.add(path);
    }
}

void CTVHost::saveRecentSonglists()
{
    Preferences preferences;
    if (!preferences.isOpen())
        return;
    int n = 0;
    for (int i = 0; i < std::min(recentSongLists.size(), kMaxRecentSongLists); ++i)
    {
        const juce::String& path = recentSongLists[i];
        // Song lists that have disappeared (or are folders now) are dropped.
        if (path.isNotEmpty() && juce::File::isAbsolutePath(path) && juce::File(path).existsAsFile())
            preferences->SetString(RecentName(n++), path);
    }
    for (; n < kMaxRecentSongLists; ++n)
        preferences->SetString(RecentName(n), {});
}
