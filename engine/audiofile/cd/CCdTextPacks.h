#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The CD-TEXT packs of one disc and the assembly of their texts.
//
// A pack is 18 bytes: type (0x80 title, 0x81 performer, ..., 0x8F size
// information), track number (bit 7: extension), sequence number, a byte with
// the double-byte flag (bit 7), the block number (bits 4-6) and the character
// position (bits 0-3), 12 text bytes and a CRC (not checked). The texts of one
// pack type in one block run on from pack to pack as zero-terminated strings
// (two zero bytes in a double-byte block): string 0 is the disc's, string n
// track n's. The three size-information packs of a block carry its character
// code (text byte 0) and the language codes of all eight blocks (bytes 28-35
// of their 36 text bytes).
//
// The packs come from the disc: every length and index is checked against
// what is there.
class CCdTextPacks
{
public:
    static constexpr size_t kPackBytes = 18;
    static constexpr uint8_t kTitle = 0x80;
    static constexpr uint8_t kPerformer = 0x81;
    static constexpr uint8_t kSizeInformation = 0x8F;
    static constexpr int kBlocks = 8;
    static constexpr int kNoCharacterCode = -1;

    // Takes the whole packs among `size` bytes and the disc's last track
    // number (1..99; other values are clamped).
    void Assign(const uint8_t* bytes, size_t size, int lastTrackNumber);
    void Clear();

    bool IsEmpty() const { return m_packs.empty(); }
    size_t GetPackCount() const { return m_packs.size() / kPackBytes; }
    int GetLastTrackNumber() const { return m_lastTrack; }

    // The first pack of that type in that block; GetPackCount() when none.
    size_t FindPack(uint8_t type, int block) const;

    // The text of a pack type for a track (0: the disc) in a block, decoded
    // with that block's own character code: 0x00 and 0x01 widen byte for
    // byte, 0x80 is MS-JIS; any other code, or a block without size
    // information, is taken as UTF-8 when it is valid UTF-8 and widened byte
    // for byte otherwise. A string that is a lone TAB (two in a double-byte
    // block) means "as the track before" and gives that track's text. Empty
    // when the block has no such packs or the track is beyond the disc.
    std::u16string GetText(uint8_t type, int block, int track) const;

    // The language code of a block as block 0's size information states it
    // (0x09 English, 0x69 Japanese); 0 when there is none.
    int GetLanguage(int block) const;

    // The character code of a block's own size information;
    // kNoCharacterCode when the block has none.
    int GetCharacterCode(int block) const;

private:
    const uint8_t* Pack(size_t index) const { return m_packs.data() + index * kPackBytes; }
    static int BlockOf(const uint8_t* pack) { return (pack[3] >> 4) & 0x07; }
    // Text byte `offset` (0..35) of a block's size information; -1 when absent.
    int SizeInformationByte(int block, int offset) const;
    // The raw strings 0..last track of a pack type in a block.
    std::vector<std::string> Strings(uint8_t type, int block, bool* doubleByte) const;
    static std::u16string Decode(const std::string& bytes, int characterCode);

    std::vector<uint8_t> m_packs;
    int m_lastTrack = 0;
};
