#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/songlist/TrackInfoListener.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "engine/audiofile/tags/CMarker.h"

class CAudioFileReadBase;
class CAudioMetaData;

class CDynamicControlParams;
class CSongRead;

namespace Tavrel
{
// What writeMetadata says about the song's picture.
enum class [[nodiscard]] MetadataWriteResult{
    Written,
    // The picture's path does not fit the metadata record; the exported file
    // goes without the picture.
    PictureLeftOut,
};

// One song of the song list as the application sees it: the engine's song
// tree with its marks, the song's name and text information, its format data
// as the song's reader last reported it, its control values (gain, fades, DC
// cut, balance), its attached picture and its observers.
//
// Records belong to the message thread; the add-songs thread fills new records
// before they are inserted. Announcements to the observers run on the calling
// thread. An observer may remove itself (or another) while it is being told.
class TrackInfo
{
public:
    // Text fields.
    enum TextField : int
    {
        kSongName = 0,
        kTitle = 1,
        kArtist = 2,
        kAlbum = 3,
        kGenre = 4,
        kLocation = 5,
        kYear = 6,
        kMonth = 7,
        kDay = 8,
        kHour = 9,
        kMinute = 10,
        kSecond = 11,
        kTextFieldCount = 12
    };

    // Control targets: even ones are floats, odd ones integers.
    enum ControlTarget : int
    {
        kGain = 0,        // dB, 0.1 dB steps, -60..+60
        kFadeInType = 1,  // 0..2
        kFadeInTime = 2,  // seconds, 0.1 s steps, 0..10
        kFadeOutType = 3, // 0..2
        kFadeOutTime = 4, // seconds, 0.1 s steps, 0..10
        kDcCut = 5,       // 0 or 1
        kBalance = 6      // -1 (left) .. +1 (right), 0.01 steps
    };

    // An empty record: empty texts, an empty song and no marks, every control
    // 0, the format data not measured yet (dataSpecStale) and lossless.
    TrackInfo();
    // The record of one opened file reader (an audio file or a track of an
    // audio CD): one section with one track with one file segment over the
    // reader's range, the reader's format data, marks, texts and picture.
    explicit TrackInfo(CAudioFileReadBase& reader);
    // A clone: everything but the session flags, the normalise gain and the
    // observers.
    TrackInfo(const TrackInfo& other);
    TrackInfo& operator=(const TrackInfo&) = delete;
    virtual ~TrackInfo();

    // Text field 0..11; empty for any other number.
    juce::String getTextField(int field) const;
    // Stores a text field. The song name and fields 1..5 are folded from
    // full-width to half-width forms (the song name keeping the forms of
    // characters that file names may not hold); the date and time fields are
    // filtered to their digits and formatted (a blank part stays blank). With
    // notify, observers hear of a change. Other field numbers change nothing.
    void setTextField(const juce::String& text, int field, bool notify);

    // The value of a control target (0 for a target of the other type or out
    // of range).
    float getFloatControl(int target) const;
    int getIntControl(int target) const;
    // Stores a control value by the target's rounding rule and tells the
    // observers when the stored value changed. Targets of the other type or
    // out of range change nothing.
    void setFloatControl(int target, float value);
    void setIntControl(int target, int value);
    // The gain, or with a detected normalise gain the sum of both rounded down
    // to 0.1 dB.
    float getEffectiveGain() const;
    // (hours x 60 + minutes) x 60 + seconds of the format data.
    double getLengthInSeconds() const;

    const juce::String& getPicturePath() const { return picturePath; }
    // Stores the path when it differs and tells the observers.
    void setPicturePath(const juce::String& path);
    const juce::String& getFormatName() const { return formatName; }

    // Marks (seconds). addMarker refuses a second mark in the same
    // millisecond; moveMarker clamps the time to the song's length and returns
    // the mark's new index (the given index when it names no mark).
    bool addMarker(double seconds);
    bool removeMarker(int index);
    int moveMarker(int index, double seconds);
    void setMarkers(const CMarker& marks);

    // Opens the song reader on the song and, when that works, takes the format
    // data from it. A CD song whose disc is no longer where it was is looked
    // for in the other drives (the drive list is rebuilt when needed); when it
    // is found there the song's files are moved to that drive and `moved` is
    // set. Returns whether the song could be opened.
    bool refreshDataSpec(CSongRead& reader, bool* moved, bool notify);
    // refreshDataSpec with a temporary song reader, telling the observers.
    bool isReadable();

    // Every file segment of the song, section by section, track by track.
    void getSourceFiles(std::vector<CPlaylistFile*>& files) const;

    // Replaces the metadata with the song's texts for export: title, artist,
    // album, genre and location when not empty, the recording date as
    // "YYYY-MM-DD" and time as "HH:MM:SS" (blank parts stay blank), and the
    // attached picture. PictureLeftOut when the song has a picture whose path
    // is too long for the metadata record: everything else is written and
    // the caller must tell the user that the file goes without its picture.
    [[nodiscard]] MetadataWriteResult writeMetadata(CAudioMetaData& metaData) const;

    // Sets gain (with the normalise gain when asked and there is one), fades,
    // DC cut and balance on a dynamics stage, in that order.
    void applyControls(CDynamicControlParams& dynamics, bool withNormalizeGain) const;

    // Bytes of the attached picture: the file's size for a JPEG or PNG file,
    // otherwise the size of the picture a picture reader finds there; 0 when
    // there is none.
    uint64_t getPictureFileSize() const;

    // Records that exist now, in the whole process (every constructor counts,
    // the destructor counts down): tests see which records an edit deletes.
    static int getLiveCount();

    // Registers an observer once; removes its registration.
    void addListener(TrackInfoListener* listener);
    void removeListener(TrackInfoListener* listener);

    // True when b can be played right after a without reopening the device:
    // both readable, b not compressed, same format, rate, bits and channels.
    static bool hasSameFormat(const TrackInfo* a, const TrackInfo* b);
    // True when `next` continues `previous` without a gap or a change of
    // format, level or fade, its first section going on where the last
    // section of `previous` ends.
    static bool CanJoinSeamlessly(const TrackInfo* next, const TrackInfo* previous);

    // Fields. The controller, the song-list file and the sessions read and
    // write these directly.
    bool isCurrent = false;
    bool normalizeGainValid = false;
    float normalizeGain = 0.0f;
    bool readable = false;
    int bitsPerSample = 0;
    float sampleRate = 0.0f;
    int channels = 0;
    int lengthHours = 0;
    int lengthMinutes = 0;
    float lengthSeconds = 0.0f;
    bool compressed = false;
    juce::String formatName;
    std::unique_ptr<CPlaylistSong> song;
    bool dataSpecStale = true;
    bool lossless = true;
    bool variableBitRate = false;
    uint64_t lengthFrames = 0;
    int bitRate = 0;
    std::unique_ptr<CMarker> markers;
    juce::String text[kTextFieldCount];
    juce::String picturePath;
    float gain = 0.0f;
    int fadeInType = 0;
    float fadeInTime = 0.0f;
    int fadeOutType = 0;
    float fadeOutTime = 0.0f;
    int dcCut = 0;
    float balance = 0.0f;

private:
    void takeFromReader(CAudioFileReadBase& reader);
    void takeDataSpec(CSongRead& reader);
    // Moves every CD file whose disc is no longer at its path to the drive
    // that holds that disc now. True when every such file was found (or there
    // was none). On failure the song is left as it was.
    bool relocateCdFiles();

    template <typename Call>
    void announce(Call call);

    std::vector<TrackInfoListener*> listeners;
};
} // namespace Tavrel
