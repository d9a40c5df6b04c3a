#include "engine/audiofile/foundation/CBinaryFile64.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/foundation/NumberHelpers.h"
#include "platform/files/FileAccess.h"

namespace
{
bool IsChunkIdByte(uint8_t byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}
} // namespace

bool CBinaryFile64::PathToUtf8(const std::u16string& path, std::string& out)
{
    for (size_t i = 0; i < path.size(); ++i)
    {
        const char16_t unit = path[i];
        if (unit >= 0xD800 && unit <= 0xDBFF)
        {
            if (i + 1 >= path.size() || path[i + 1] < 0xDC00 || path[i + 1] > 0xDFFF)
                return false;
            ++i;
        }
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
        {
            return false;
        }
    }
    std::string buffer(path.size() * 3 + 1, '\0');
    const uint32_t length = WideToNarrowBounded(buffer.data(), static_cast<uint32_t>(buffer.size()), path.c_str());
    buffer.resize(length);
    out = std::move(buffer);
    return true;
}

CBinaryFile64::CBinaryFile64(bool forWriting)
    : m_forWriting(forWriting)
{
}

CBinaryFile64::~CBinaryFile64()
{
    Close();
}

int CBinaryFile64::Open(const char16_t* path)
{
    Close();
    if (path == nullptr || path[0] == 0)
        return -1;
    std::string narrow;
    if (!PathToUtf8(path, narrow))
        return -1;

    // Folders, FIFOs and devices are refused without blocking on them.
    const int fd = qm::platform::openRegularFile(narrow, m_forWriting ? qm::platform::FileOpenMode::CreateOrTruncate
                                                                      : qm::platform::FileOpenMode::Read);
    if (fd < 0)
        return -1;

    m_path = path;
    m_fd = fd;
    m_position = 0;
    return fd;
}

int CBinaryFile64::Close()
{
    int result = 0;
    if (m_fd >= 0)
    {
        result = qm::platform::closeFile(m_fd) ? 0 : -1;
        m_fd = -1;
    }
    m_path.clear();
    m_position = 0;
    return result;
}

uint32_t CBinaryFile64::Read(void* buffer, uint32_t size)
{
    std::lock_guard lock(m_lock.m_section);
    if (m_fd < 0 || buffer == nullptr)
        return 0;
    const auto done = static_cast<uint32_t>(qm::platform::readAt(m_fd, buffer, size, m_position));
    m_position += done;
    return done;
}

uint32_t CBinaryFile64::Write(const void* buffer, uint32_t size)
{
    if (m_fd < 0 || buffer == nullptr)
        return 0;
    const auto done = static_cast<uint32_t>(qm::platform::writeAt(m_fd, buffer, size, m_position));
    m_position += done;
    return done;
}

int64_t CBinaryFile64::Seek(int64_t offset, int origin)
{
    int64_t base = 0;
    if (origin == SEEK_CUR)
        base = m_position;
    else if (origin == SEEK_END)
        base = GetFileLength();
    else if (origin != SEEK_SET)
        return -1;
    if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0)
        return -1;
    m_position = base + offset;
    return m_position;
}

void CBinaryFile64::Skip(int64_t delta)
{
    const int64_t current = Tell();
    const int64_t length = GetFileLength();
    int64_t target;
    if (delta < 0)
        target = delta < -current ? 0 : current + delta;
    else
        target = delta > length - current ? length : current + delta;
    Seek(std::clamp<int64_t>(target, 0, std::max<int64_t>(length, 0)), SEEK_SET);
}

int64_t CBinaryFile64::Tell()
{
    std::lock_guard lock(m_lock.m_section);
    return m_position;
}

int64_t CBinaryFile64::GetFileLength()
{
    return m_fd < 0 ? 0 : std::max<int64_t>(qm::platform::fileSize(m_fd), 0);
}

uint64_t CBinaryFile64::ReadUInt(int bytes)
{
    uint8_t buffer[8] = {};
    bytes = std::clamp(bytes, 0, 8);
    Read(buffer, static_cast<uint32_t>(bytes));
    return LittleEndianBytesToInt(buffer, bytes);
}

uint64_t CBinaryFile64::ReadUIntBigEndian(int bytes)
{
    uint8_t buffer[8] = {};
    bytes = std::clamp(bytes, 0, 8);
    Read(buffer, static_cast<uint32_t>(bytes));
    return BigEndianBytesToInt(buffer, bytes);
}

int CBinaryFile64::WriteUInt(uint64_t value, int bytes)
{
    uint8_t buffer[8] = {};
    bytes = std::clamp(bytes, 0, 8);
    IntToLittleEndianBytes(buffer, value, bytes);
    return static_cast<int>(Write(buffer, static_cast<uint32_t>(bytes)));
}

void CBinaryFile64::SkipChunkBody(int64_t bodyStart, uint64_t size)
{
    int64_t next = bodyStart + static_cast<int64_t>(size);
    // RIFF and IFF put a pad byte after a chunk of odd size; files this program
    // wrote in the past have none. A chunk id is four printable characters, so
    // a byte that cannot start one is the pad byte.
    if ((size & 1) != 0 && next < GetFileLength())
    {
        Seek(next, SEEK_SET);
        uint8_t byte = 0;
        if (Read(&byte, 1) == 1 && !IsChunkIdByte(byte))
            ++next;
    }
    Seek(next, SEEK_SET);
}

uint64_t CBinaryFile64::FindRiffChunk(const char* id, int64_t limit)
{
    const int64_t begin = Tell();
    const int64_t length = GetFileLength();
    int64_t end = length;
    if (limit >= 0 && limit < length - begin)
        end = begin + limit;

    int64_t position = begin;
    while (position <= end - 8)
    {
        Seek(position, SEEK_SET);
        uint8_t chunkId[4] = {};
        if (Read(chunkId, 4) != 4)
            break;
        const uint64_t size = ReadUInt(4) & 0xFFFFFFFFu;
        // The id is compared first: the wanted chunk may well be empty (an
        // empty "data" chunk), only other empty chunks end the search.
        if (FourCharCodeEquals(chunkId, id))
        {
            Seek(position, SEEK_SET);
            return size + 8;
        }
        if (size == 0)
            break;
        SkipChunkBody(position + 8, size);
        position = Tell();
    }
    Seek(begin, SEEK_SET);
    return 0;
}

uint64_t CBinaryFile64::FindRiffListInfo()
{
    const int64_t begin = Tell();
    const int64_t length = GetFileLength();
    for (;;)
    {
        const uint64_t size = FindRiffChunk("LIST", -1);
        if (size == 0)
            break;
        const int64_t chunk = Tell();
        if (size >= 12 && chunk + 12 <= length)
        {
            Seek(chunk + 8, SEEK_SET);
            uint8_t type[4] = {};
            if (Read(type, 4) == 4 && FourCharCodeEquals(type, "INFO"))
            {
                Seek(chunk, SEEK_SET);
                return size;
            }
        }
        // Every pass moves at least past the 8-byte header.
        SkipChunkBody(chunk + 8, size - 8);
        if (Tell() >= length)
            break;
    }
    Seek(begin, SEEK_SET);
    return 0;
}

bool CBinaryFile64::GetFileDateTimeStrings(char* date, char* time)
{
    std::memcpy(date, "    -  -  ", 11);
    std::memcpy(time, "  :  :  ", 9);
    std::string narrow;
    if (m_path.empty() || !PathToUtf8(m_path, narrow))
        return false;
    std::time_t written = 0;
    if (!qm::platform::modificationTime(narrow, written))
        return false;
    struct tm local;
    if (::localtime_r(&written, &local) == nullptr)
        return false;
    char dateText[32];
    char timeText[32];
    std::snprintf(dateText, sizeof dateText, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    std::snprintf(timeText, sizeof timeText, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    if (std::strlen(dateText) != 10 || std::strlen(timeText) != 8)
        return false;
    std::memcpy(date, dateText, 11);
    std::memcpy(time, timeText, 9);
    return true;
}
