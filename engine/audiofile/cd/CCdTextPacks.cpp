#include "engine/audiofile/cd/CCdTextPacks.h"

#include <algorithm>

#include "engine/audiofile/foundation/Utf8ToWide.h"
#include "platform/cd/CdTextCharset.h"

void CCdTextPacks::Assign(const uint8_t* bytes, size_t size, int lastTrackNumber)
{
    Clear();
    if (bytes == nullptr)
        return;
    m_packs.assign(bytes, bytes + (size / kPackBytes) * kPackBytes);
    m_lastTrack = std::clamp(lastTrackNumber, 1, 99);
}

void CCdTextPacks::Clear()
{
    m_packs.clear();
    m_lastTrack = 0;
}

size_t CCdTextPacks::FindPack(uint8_t type, int block) const
{
    const size_t count = GetPackCount();
    for (size_t i = 0; i < count; ++i)
        if (Pack(i)[0] == type && BlockOf(Pack(i)) == block)
            return i;
    return count;
}

int CCdTextPacks::SizeInformationByte(int block, int offset) const
{
    if (block < 0 || block >= kBlocks || offset < 0 || offset >= 36)
        return -1;
    // The n-th size-information pack of the block holds text bytes n*12 .. n*12+11.
    int seen = 0;
    const size_t count = GetPackCount();
    for (size_t i = 0; i < count; ++i)
    {
        const uint8_t* pack = Pack(i);
        if (pack[0] != kSizeInformation || BlockOf(pack) != block)
            continue;
        if (seen == offset / 12)
            return pack[4 + offset % 12];
        ++seen;
    }
    return -1;
}

int CCdTextPacks::GetCharacterCode(int block) const
{
    const int code = SizeInformationByte(block, 0);
    return code < 0 ? kNoCharacterCode : code;
}

int CCdTextPacks::GetLanguage(int block) const
{
    if (block < 0 || block >= kBlocks)
        return 0;
    const int code = SizeInformationByte(0, 28 + block);
    return code < 0 ? 0 : code;
}

std::vector<std::string> CCdTextPacks::Strings(uint8_t type, int block, bool* doubleByte) const
{
    std::vector<std::string> strings;
    const size_t count = GetPackCount();
    const size_t first = FindPack(type, block);
    if (first == count)
        return strings;
    *doubleByte = (Pack(first)[3] & 0x80) != 0;
    const size_t width = *doubleByte ? 2 : 1;

    // The text bytes of the run of packs of this type and block, as one
    // stream; strings are counted from the first pack, not by the packs' own
    // track numbers. Joining the packs first also keeps a double-byte
    // terminator that straddles two packs whole.
    std::string stream;
    for (size_t i = first; i < count && Pack(i)[0] == type && BlockOf(Pack(i)) == block; ++i)
        stream.append(reinterpret_cast<const char*>(Pack(i) + 4), 12);

    const size_t wanted = size_t(m_lastTrack) + 1;
    size_t position = 0;
    while (strings.size() < wanted && position < stream.size())
    {
        size_t end = stream.find('\0', position);
        if (end == std::string::npos)
            end = stream.size();
        strings.push_back(stream.substr(position, end - position));
        position = end + width;
    }
    return strings;
}

std::u16string CCdTextPacks::Decode(const std::string& bytes, int characterCode)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (characterCode == 0x80)
        return qm::platform::DecodeMsJis(data, bytes.size());
    if (characterCode != 0x00 && characterCode != 0x01)
    {
        std::u16string wide(bytes.size() + 1, u'\0');
        Utf8Result result = Utf8Result::Ok;
        const uint32_t units =
            Utf8ToWide(wide.data(), uint32_t(wide.size()), bytes.data(), uint32_t(bytes.size()), &result);
        if (result == Utf8Result::Ok)
        {
            wide.resize(units);
            return wide;
        }
    }
    return std::u16string(data, data + bytes.size());
}

std::u16string CCdTextPacks::GetText(uint8_t type, int block, int track) const
{
    if (block < 0 || block >= kBlocks || track < 0 || track > m_lastTrack)
        return {};
    bool doubleByte = false;
    const std::vector<std::string> strings = Strings(type, block, &doubleByte);
    auto isRepeat = [doubleByte](const std::string& text) { return text == "\t" || (doubleByte && text == "\t\t"); };
    int index = track;
    while (index > 0 && size_t(index) < strings.size() && isRepeat(strings[size_t(index)]))
        --index;
    if (size_t(index) >= strings.size() || isRepeat(strings[size_t(index)]))
        return {};
    return Decode(strings[size_t(index)], GetCharacterCode(block));
}
