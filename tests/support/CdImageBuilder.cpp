#include "tests/support/CdImageBuilder.h"

#include "tests/support/TempFolder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qm::test
{
namespace
{
constexpr uint32_t kSectorBytes = 2352;
constexpr uint32_t kFramesPerSector = 588;

std::string Msf(uint64_t sectors)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned(sectors / 75 / 60), unsigned(sectors / 75 % 60),
                  unsigned(sectors % 75));
    return text;
}
} // namespace

int16_t CdRampSample(int number, uint64_t frame, int channel)
{
    if (channel == 0)
        return int16_t(frame & 0x7FFF);
    return int16_t(number * 256 + int((frame >> 15) & 0xFF));
}

std::string WriteCdImage(const std::filesystem::path& folder, const std::string& name,
                         const std::vector<CdImageTrack>& tracks, const std::vector<uint8_t>& cdTextPacks)
{
    const std::filesystem::path base = folder / name;
    std::string cue;
    if (!cdTextPacks.empty())
    {
        std::ofstream cdt(base.string() + ".cdt", std::ios::binary);
        cdt.write(reinterpret_cast<const char*>(cdTextPacks.data()), std::streamsize(cdTextPacks.size()));
        cue += "CDTEXTFILE \"" + name + ".cdt\"\n";
    }
    cue += "FILE \"" + name + ".bin\" BINARY\n";

    std::fstream bin(base.string() + ".bin", std::ios::binary | std::ios::out | std::ios::trunc);
    if (!bin)
        throw std::runtime_error("cannot write the disc image");
    uint64_t sector = 0;
    std::vector<uint8_t> buffer(kSectorBytes);
    for (size_t i = 0; i < tracks.size(); ++i)
    {
        const CdImageTrack& track = tracks[i];
        const int number = int(i) + 1;
        char line[64];
        std::snprintf(line, sizeof line, "  TRACK %02d %s\n", number, track.audio ? "AUDIO" : "MODE1/2352");
        cue += line;
        if (track.pregapSectors > 0)
        {
            cue += "    INDEX 00 " + Msf(sector) + "\n";
            sector += track.pregapSectors;
        }
        cue += "    INDEX 01 " + Msf(sector) + "\n";
        const uint32_t written = std::min(track.writtenSectors, track.sectors);
        bin.seekp(std::streamoff(sector * kSectorBytes));
        for (uint32_t s = 0; s < written; ++s)
        {
            if (track.audio)
            {
                for (uint32_t f = 0; f < kFramesPerSector; ++f)
                {
                    const uint64_t frame = uint64_t(s) * kFramesPerSector + f;
                    for (int channel = 0; channel < 2; ++channel)
                    {
                        const uint16_t sample = uint16_t(CdRampSample(number, frame, channel));
                        buffer[f * 4 + channel * 2] = uint8_t(sample & 0xFF);
                        buffer[f * 4 + channel * 2 + 1] = uint8_t(sample >> 8);
                    }
                }
            }
            else
            {
                std::fill(buffer.begin(), buffer.end(), uint8_t(0xA5));
            }
            bin.write(reinterpret_cast<const char*>(buffer.data()), kSectorBytes);
        }
        sector += track.sectors;
    }
    bin.close();
    // Holes up to the full length: what was not written reads as zeros.
    std::filesystem::resize_file(base.string() + ".bin", sector * kSectorBytes);
    std::ofstream(base.string() + ".cue") << cue;
    return base.string();
}

std::vector<CdInfoTrack> CdInfoTracks(const std::string& cuePath)
{
    const std::string out = runCommandOutput("cd-info --no-device-info --no-cddb --no-analyze --cue-file " +
                                             shellQuote(cuePath) + " 2>/dev/null");
    // "  1: 00:02:00  000000 audio  false ..." and "170: 00:07:00  000375 leadout ..."
    std::vector<CdInfoTrack> tracks;
    std::istringstream lines(out);
    std::string text;
    while (std::getline(lines, text))
    {
        std::istringstream words(text);
        std::string number, msf, lsn, type;
        if (!(words >> number >> msf >> lsn >> type) || number.size() < 2 || number.back() != ':' || msf.size() != 8 ||
            msf[2] != ':' || lsn.find_first_not_of("0123456789") != std::string::npos)
            continue;
        number.pop_back();
        if (number.find_first_not_of("0123456789") != std::string::npos)
            continue;
        tracks.push_back({std::stoi(number), std::stoi(lsn), type});
    }
    return tracks;
}

uint16_t CdTextPackBuilder::Crc(const uint8_t* bytes, size_t size)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < size; ++i)
    {
        crc = uint16_t(crc ^ (uint16_t(bytes[i]) << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
    }
    return uint16_t(~crc);
}

std::vector<uint8_t> CdTextPackBuilder::Build() const
{
    struct Pack
    {
        uint8_t bytes[18];
    };
    std::vector<std::vector<Pack>> blockPacks;
    uint8_t languages[8] = {};
    for (const auto& block : m_blocks)
        languages[block.number & 7] = block.language;

    for (const auto& block : m_blocks)
    {
        std::vector<Pack> packs;
        const int width = block.doubleByte ? 2 : 1;
        for (const auto& [type, strings] : block.texts)
        {
            std::string stream;
            std::vector<size_t> starts;
            for (const auto& text : strings)
            {
                starts.push_back(stream.size());
                stream += text;
                stream.append(size_t(width), '\0');
            }
            for (size_t offset = 0; offset < stream.size(); offset += 12)
            {
                size_t index = 0;
                while (index + 1 < starts.size() && starts[index + 1] <= offset)
                    ++index;
                Pack pack{};
                pack.bytes[0] = type;
                pack.bytes[1] = uint8_t(index == 0 ? 0 : block.firstTrack + int(index) - 1);
                const size_t position = std::min<size_t>((offset - starts[index]) / size_t(width), 15);
                pack.bytes[3] = uint8_t((block.doubleByte ? 0x80 : 0) | ((block.number & 7) << 4) | position);
                for (size_t k = 0; k < 12; ++k)
                    pack.bytes[4 + k] = offset + k < stream.size() ? uint8_t(stream[offset + k]) : 0;
                packs.push_back(pack);
            }
        }
        blockPacks.push_back(std::move(packs));
    }

    // Sequence numbers run on across blocks; each block ends with 3 size packs.
    uint8_t lastSequence[8] = {};
    int sequence = 0;
    for (size_t b = 0; b < m_blocks.size(); ++b)
    {
        sequence += int(blockPacks[b].size()) + 3;
        lastSequence[m_blocks[b].number & 7] = uint8_t(sequence - 1);
    }

    std::vector<uint8_t> out;
    sequence = 0;
    for (size_t b = 0; b < m_blocks.size(); ++b)
    {
        const Block& block = m_blocks[b];
        uint8_t size[36] = {};
        size[0] = block.characterCode;
        size[1] = uint8_t(block.firstTrack);
        size[2] = uint8_t(block.lastTrack);
        for (const auto& pack : blockPacks[b])
            ++size[4 + (pack.bytes[0] & 0x0F)];
        size[4 + 0x0F] = 3;
        for (int k = 0; k < 8; ++k)
        {
            size[20 + k] = lastSequence[k];
            size[28 + k] = languages[k];
        }
        for (int k = 0; k < 3; ++k)
        {
            Pack pack{};
            pack.bytes[0] = 0x8F;
            pack.bytes[1] = uint8_t(k);
            pack.bytes[3] = uint8_t((block.number & 7) << 4);
            for (int j = 0; j < 12; ++j)
                pack.bytes[4 + j] = size[k * 12 + j];
            blockPacks[b].push_back(pack);
        }
        for (auto& pack : blockPacks[b])
        {
            pack.bytes[2] = uint8_t(sequence++);
            const uint16_t crc = Crc(pack.bytes, 16);
            pack.bytes[16] = uint8_t(crc >> 8);
            pack.bytes[17] = uint8_t(crc & 0xFF);
            out.insert(out.end(), pack.bytes, pack.bytes + 18);
        }
    }
    return out;
}
std::vector<uint8_t> AlbumTitlePacks(const std::string& title, int tracks, uint8_t characterCode)
{
    CdTextPackBuilder::Block block;
    block.characterCode = characterCode;
    block.doubleByte = characterCode == 0x80;
    block.language = characterCode == 0x80 ? 0x69 : 0x09;
    block.firstTrack = 1;
    block.lastTrack = tracks;
    block.texts[0x80] = std::vector<std::string>(size_t(tracks) + 1);
    block.texts[0x80][0] = title;
    block.texts[0x81] = std::vector<std::string>(size_t(tracks) + 1);
    CdTextPackBuilder builder;
    builder.AddBlock(block);
    return builder.Build();
}
} // namespace qm::test
