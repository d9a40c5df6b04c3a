#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qm::test
{
// One track of a CUE/BIN disc image made for a test.
struct CdImageTrack
{
    bool audio = true;
    // Sectors from the track's INDEX 01 to the next track's pregap (or the end).
    uint32_t sectors = 0;
    // Silent INDEX 00 sectors stored in the file before INDEX 01; in the table
    // of contents they still belong to the track before.
    uint32_t pregapSectors = 0;
    // Sectors from INDEX 01 that get content; the rest stays a hole in the
    // file (zero samples) so long images cost no disk space.
    uint32_t writtenSectors = UINT32_MAX;
};

// The sample that an image made by WriteCdImage holds at frame `frame` of
// track `number` (counted from INDEX 01): the left channel counts frames
// modulo 32768, the right one holds the track number x 256 plus the frame's
// multiple of 32768. Frames beyond writtenSectors are 0 instead.
int16_t CdRampSample(int number, uint64_t frame, int channel);

// Writes NAME.bin, NAME.cue and, when packs are given, NAME.cdt (named by the
// cue sheet's CDTEXTFILE line) into the folder; tracks are numbered from 1.
// Data tracks are MODE1/2352 sectors filled with 0xA5. Returns the drive
// name of the image (folder / NAME).
std::string WriteCdImage(const std::filesystem::path& folder, const std::string& name,
                         const std::vector<CdImageTrack>& tracks, const std::vector<uint8_t>& cdTextPacks = {});

// The track list that cd-info (libcdio-utils) prints for a cue sheet: one
// entry per track and a last one for the lead-out (type "leadout").
struct CdInfoTrack
{
    int number = 0;
    int lsn = 0;
    std::string type; // "audio", "data" or "leadout"
};
std::vector<CdInfoTrack> CdInfoTracks(const std::string& cuePath);

// Builds CD-TEXT packs with correct sequence numbers, size information and
// CRCs, the way a disc or a pack file carries them.
class CdTextPackBuilder
{
public:
    struct Block
    {
        int number = 0;            // block 0..7
        uint8_t characterCode = 0; // 0x00 ISO 8859-1, 0x01 ASCII, 0x80 MS-JIS
        uint8_t language = 0x09;   // 0x09 English, 0x69 Japanese
        bool doubleByte = false;
        int firstTrack = 1;
        int lastTrack = 1;
        // Per pack type (0x80 title, 0x81 performer, ...): string 0 is the
        // disc's, then one per track, as raw bytes.
        std::map<uint8_t, std::vector<std::string>> texts;
    };

    void AddBlock(const Block& block) { m_blocks.push_back(block); }

    // The packs of every block in order, each block ending with its three
    // size-information packs.
    std::vector<uint8_t> Build() const;

    // The CD-TEXT CRC of a pack's first 16 bytes (CRC-16/CCITT, inverted).
    static uint16_t Crc(const uint8_t* bytes, size_t size);

private:
    std::vector<Block> m_blocks;
};
// CD-TEXT of one block whose disc title is `title` (raw bytes in the block's
// character code: 0x00 ISO 8859-1, 0x80 MS-JIS) for a disc of `tracks`
// tracks without track texts.
std::vector<uint8_t> AlbumTitlePacks(const std::string& title, int tracks, uint8_t characterCode = 0x00);
} // namespace qm::test
