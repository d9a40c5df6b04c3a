#pragma once

#include <cstdint>

#include "engine/audiofile/foundation/CBinaryFile64.h"

// Reads an ID3v2 tag that starts at a given offset of a file (an MP3 file's
// start, the data of an AIFF "ID3 " chunk). This class reads ID3v2.2 (three-
// character frame ids, three-byte sizes, no frame flags); CID3v2_3Read and
// CID3v2_4Read read the later versions. Frames are looked up in the file when
// asked for; text comes back as UTF-16. Every getter takes an output buffer
// and its capacity in units and returns the length of the text left there; a
// missing frame gives an empty text and 0.
//
// Every size in the tag is checked against the tag and the file: a frame
// never reaches past the tag's end or the file's end.
class CID3v2Read : public CBinaryFile64
{
public:
    // A frame's text is read from at most this many bytes after its encoding
    // byte; longer texts are cut there.
    static constexpr uint32_t kTextWindow = 511;

    CID3v2Read();
    ~CID3v2Read() override;

    // Integers in ID3v2 are big-endian.
    uint64_t ReadUInt(int bytes) override;

    // 0 on success, 2 when the file cannot be opened or holds no ID3v2 header
    // at startOffset. A file already open is closed first.
    int Open(const char16_t* path, int64_t startOffset);

    // Major version in the high byte, revision in the low byte (0x0300 for
    // ID3v2.3.0); 0 before a successful Open.
    uint16_t GetVersion() const { return m_version; }
    uint8_t GetHeaderFlags() const { return m_headerFlags; }
    // The tag size stated by the header (without the header).
    uint32_t GetTagSize() const { return m_tagSize; }

    uint32_t GetAlbum(char16_t* out, uint32_t capacity);
    uint32_t GetAlbumSort(char16_t* out, uint32_t capacity);
    uint32_t GetAlbumArtist(char16_t* out, uint32_t capacity);
    uint32_t GetAlbumArtistSort(char16_t* out, uint32_t capacity);
    uint32_t GetTitle(char16_t* out, uint32_t capacity);
    uint32_t GetTitleSort(char16_t* out, uint32_t capacity);
    uint32_t GetArtist(char16_t* out, uint32_t capacity);
    uint32_t GetArtistSort(char16_t* out, uint32_t capacity);
    uint32_t GetComposer(char16_t* out, uint32_t capacity);
    uint32_t GetComposerSort(char16_t* out, uint32_t capacity);
    uint32_t GetGuitarist(char16_t* out, uint32_t capacity);
    uint32_t GetGuitaristSort(char16_t* out, uint32_t capacity);
    // The software frame, else the encoded-by frame.
    uint32_t GetEncoder(char16_t* out, uint32_t capacity);
    uint32_t GetTempo(char16_t* out, uint32_t capacity);
    uint32_t GetGrouping(char16_t* out, uint32_t capacity);
    uint32_t GetTrack(char16_t* out, uint32_t capacity);
    uint32_t GetPartOfSet(char16_t* out, uint32_t capacity);
    uint32_t GetCompilation(char16_t* out, uint32_t capacity);
    // The content type with the old numeric forms resolved: "(17)" and
    // "(17)Rock" give "Rock", "(RX)" "Remix", "(CR)" "Cover"; numbers outside
    // the genre list and any other text stay as they are.
    uint32_t GetGenre(char16_t* out, uint32_t capacity);
    // The year frame (from ID3v2.3 on, the recording time when there is no
    // year frame), the date frame (DDMM) and the time frame (HHMM), as stored.
    uint32_t GetYearFrame(char16_t* out, uint32_t capacity);
    uint32_t GetDateFrame(char16_t* out, uint32_t capacity);
    uint32_t GetTimeFrame(char16_t* out, uint32_t capacity);
    // The recording date as "YYYY-MM-DD" and time as "HH:MM:SS"; parts the tag
    // does not give stay blank ("    -  -  ", "  :  :  ").
    virtual uint32_t GetDate(char16_t* out, uint32_t capacity);
    virtual uint32_t GetTime(char16_t* out, uint32_t capacity);

    // Reads and checks the header at the start offset and sets up the frame
    // area; false when there is no usable ID3v2 header.
    virtual bool ParseHeader();
    // The text of the first frame with the id; empty when that frame is
    // compressed, encrypted or otherwise transformed.
    uint32_t ReadTextFrame(char16_t* out, uint32_t capacity, const char* id);
    // The value of the first user text frame (id "TXX" or "TXXX") whose
    // description equals description.
    uint32_t ReadUserTextFrame(char16_t* out, uint32_t capacity, const char* id, const char16_t* description);
    // The data of the first picture frame of the type (-1: any), JPEG or PNG
    // bytes as stored. With a null buffer: its size. With a buffer of at least
    // that size: the data is copied and its size returned. A smaller buffer, or
    // no such picture: the buffer is zero-filled and 0 returned.
    uint32_t ReadPicture(uint8_t* buffer, uint32_t bufferSize, int pictureType);
    // Searches the frame with the id, from the start of the frame area or from
    // the position; found: the position is at the frame's header.
    bool FindFrame(const char* id, bool fromStart);

protected:
    struct FrameHeader
    {
        char id[5] = {};
        int64_t headerStart = 0;
        int64_t dataStart = 0;
        // The stated end of the frame, where the next one begins.
        int64_t statedEnd = 0;
        // The end of the bytes that belong to the frame and are really there.
        int64_t dataEnd = 0;
        // Compressed, encrypted, grouped, unsynchronised or otherwise
        // transformed: the data cannot be read as it is.
        bool transformed = false;
    };

    enum TextKind
    {
        kAlbumText,
        kAlbumSortText,
        kAlbumArtistText,
        kAlbumArtistSortText,
        kTitleText,
        kTitleSortText,
        kArtistText,
        kArtistSortText,
        kComposerText,
        kComposerSortText,
        kEncoderText,
        kEncodedByText,
        kTempoText,
        kGroupingText,
        kTrackText,
        kPartOfSetText,
        kCompilationText,
        kGenreText,
        kYearText,
        kRecordingTimeText,
        kDateText,
        kTimeText,
        kUserText,
        kPictureText,
        kTextKindCount
    };

    // The frame id of a kind in this version; null when the version has none.
    virtual const char* FrameIdFor(TextKind kind) const;
    // Reads the frame header at the position (which it leaves after the
    // header); false when no further frame can be there.
    virtual bool ReadFrameHeader(FrameHeader& header);
    // False when the tag as a whole is unsynchronised (or otherwise in a form
    // whose frames cannot be read in place).
    virtual bool FramesReadable() const;
    // Finds the next frame with the id (from the frame area's start when
    // fromStart); found: true, header filled, position after the header.
    bool FindFrameHeader(const char* id, bool fromStart, FrameHeader& header);
    // Reads the frame's bytes after its header into buffer (at most size).
    uint32_t ReadFrameBytes(const FrameHeader& header, uint8_t* buffer, uint32_t size);
    uint32_t ReadKind(TextKind kind, char16_t* out, uint32_t capacity);

    int64_t m_startOffset = 0;
    int64_t m_frameAreaStart = 0;
    int64_t m_frameAreaEnd = 0;
    uint16_t m_version = 0;
    uint8_t m_headerFlags = 0;
    uint32_t m_tagSize = 0;
};

// ID3v2.3: four-character frame ids, plain 32-bit frame sizes, two flag bytes,
// an optional extended header whose size excludes itself.
class CID3v2_3Read : public CID3v2Read
{
public:
    bool ParseHeader() override;

protected:
    const char* FrameIdFor(TextKind kind) const override;
    bool ReadFrameHeader(FrameHeader& header) override;
    bool FramesReadable() const override;
    // Reads the frame's 32-bit size (plain here, sync-safe in ID3v2.4).
    virtual uint64_t ReadFrameSize();
};

// ID3v2.4: sync-safe frame sizes, an extended header whose sync-safe size
// includes itself, the recording time ("TDRC") in place of year, date and time.
class CID3v2_4Read : public CID3v2_3Read
{
public:
    bool ParseHeader() override;
    uint32_t GetDate(char16_t* out, uint32_t capacity) override;
    uint32_t GetTime(char16_t* out, uint32_t capacity) override;

protected:
    uint64_t ReadFrameSize() override;
};

// Opens the ID3v2 tag at startOffset of the file with the reader of its
// version (2.2, 2.3 or 2.4, chosen by the major version byte); null when there
// is no such tag or its major version is none of these. The caller deletes it.
CID3v2Read* CreateId3v2Reader(const char16_t* path, int64_t startOffset);
