#pragma once

class CAudioFileReadBase;

// Opens an audio file (or, for a name without extension, a CD drive) with
// the first reader that accepts it, chosen by the name's extension
// (compared case-blind) in this order: CD drive (no extension only), WAV,
// AIFF, AIFC "sowt", Windows Media/MP3, MP4/AAC/MP3 (when its decoding is
// available), CD track file. A name without extension tries every group.
// Null when no reader opens it. The caller owns the reader. The audio-CD
// reader reads CD-TEXT unless skipCdText is set.
CAudioFileReadBase* CreateAudioFileReader(const char16_t* path, bool skipCdText);

// As CreateAudioFileReader, but refuses (null) streams the engine does not
// play directly: above 96000 Hz, or compressed and lossless at once.
CAudioFileReadBase* CreateDirectAudioFileReader(const char16_t* path, bool skipCdText);

// Opens only the formats that can carry an attached picture: AIFF, AIFC
// "sowt", Windows Media/MP3, MP4/AAC/MP3. Never WAV, CD drives or CD track
// files.
CAudioFileReadBase* CreateAudioFileReaderForPicture(const char16_t* path);
