#pragma once

#include <juce_core/juce_core.h>

#include <string>

// Finds the audio CDs in the CD drives (device nodes and disc images, as the
// CD drive registry lists them) for the disc-open sheet, which runs the scan
// on its own thread and keeps the records.
class DiscOpenManager
{
public:
    // The UI-string key of an audio CD's disc type.
    static constexpr const char* kAudioCdTypeKey = "DiscOpen_DiscType_AudioCD";

    // One audio disc.
    class DiscInfo
    {
    public:
        DiscInfo() = default;
        DiscInfo(const DiscInfo&) = default;
        DiscInfo& operator=(const DiscInfo&) = default;
        virtual ~DiscInfo() = default;

        std::string discTypeKey;    // kAudioCdTypeKey
        juce::String drive;         // the drive's name
        juce::String title;         // the CD-TEXT album title, or the fallback title
        int trackCount = 0;         // audio tracks
        double lengthSeconds = 0.0; // length of the audio part
        juce::StringArray drives;   // the drives holding this disc
        // One item per track that the add-songs action turns into a song:
        // "<drive>/TrackNN.cda", NN the disc's track number, which the CD
        // track reader opens on that drive.
        juce::StringArray trackPaths;
    };

    // fallbackTitle is the title of a disc whose CD-TEXT gives none: the
    // localised text of kAudioCdTypeKey. The string table lives in the
    // application layer above this one, so the owner looks it up.
    explicit DiscOpenManager(const juce::String& fallbackTitle);
    virtual ~DiscOpenManager();

    // Empties the list, then appends one record per drive that holds an
    // audio disc, in the registry's order of drives.
    void scanDrives(juce::OwnedArray<DiscInfo>& list);

    // Reads the disc in one drive and appends its record; true when a record
    // was appended. A name that is no drive, a drive without a disc, and a
    // disc without an audio track give false.
    bool readDiscInfo(const juce::String& drive, juce::OwnedArray<DiscInfo>& list);

private:
    juce::String m_fallbackTitle;
};
