#include "platform/cd/CdImageDrive.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include <cdio/cdio.h>

#include "platform/cd/CdLibcdioToc.h"
#include "platform/cd/CdTextPackData.h"

namespace qm::platform
{
namespace
{
// The library's cue-sheet parser keeps its place in a process-wide buffer
// (strtok): two images opened at once on two threads (a disc list scanning
// while songs are added) would read each other's lines. One parse at a time.
std::mutex g_cueParserLock;

bool IsRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// NAME.ext, or NAME.EXT when only that one exists.
std::filesystem::path WithExtension(const std::string& name, const char* lower, const char* upper)
{
    const std::filesystem::path preferred(name + lower);
    const std::filesystem::path other(name + upper);
    return !IsRegularFile(preferred) && IsRegularFile(other) ? other : preferred;
}

bool KeywordEquals(const std::string& word, const char* keyword)
{
    size_t i = 0;
    for (; keyword[i] != 0; ++i)
        if (i >= word.size() || std::toupper(static_cast<unsigned char>(word[i])) != keyword[i])
            return false;
    return i == word.size();
}
} // namespace

CdImageDrive::CdImageDrive(std::string name)
    : m_name(std::move(name))
{
}

CdImageDrive::~CdImageDrive()
{
    if (m_cdio != nullptr)
        cdio_destroy(m_cdio);
}

bool CdImageDrive::IsMediaPresent()
{
    m_cue = WithExtension(m_name, ".cue", ".CUE");
    m_bin = WithExtension(m_name, ".bin", ".BIN");
    return IsRegularFile(m_cue) && IsRegularFile(m_bin);
}

bool CdImageDrive::EnsureOpen()
{
    if (m_cdio == nullptr && IsMediaPresent())
    {
        QuietLibcdioLog();
        const std::lock_guard<std::mutex> parsing(g_cueParserLock);
        m_cdio = cdio_open(m_cue.c_str(), DRIVER_BINCUE);
    }
    return m_cdio != nullptr;
}

bool CdImageDrive::ReadToc(CdToc& toc)
{
    toc = CdToc{};
    if (!EnsureOpen())
        return false;
    return ReadLibcdioToc(m_cdio, toc);
}

bool CdImageDrive::ReadAudioSectors(int32_t lsn, uint32_t count, uint8_t* buffer)
{
    if (buffer == nullptr || lsn < 0 || count == 0 || !EnsureOpen())
        return false;
    // libcdio reads sector n of an image at byte n x 2352 of the bin file and
    // reports success for a read that runs past the file's end, leaving the
    // rest of the buffer as it was: such a read fails here instead.
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(m_bin, error);
    if (error || (uint64_t(lsn) + count) * kSectorBytes > size)
        return false;
    return cdio_read_audio_sectors(m_cdio, buffer, lsn, count) == DRIVER_OP_SUCCESS;
}

std::filesystem::path CdImageDrive::FindCdTextFile(const std::filesystem::path& cuePath)
{
    std::ifstream cue(cuePath);
    std::string line;
    while (std::getline(cue, line))
    {
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || !KeywordEquals(keyword, "CDTEXTFILE"))
            continue;
        std::string rest;
        std::getline(words >> std::ws, rest);
        while (!rest.empty() && (rest.back() == '\r' || rest.back() == ' ' || rest.back() == '\t'))
            rest.pop_back();
        std::string file;
        if (!rest.empty() && rest.front() == '"')
        {
            const size_t close = rest.find('"', 1);
            file = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        }
        else
        {
            file = rest.substr(0, rest.find_first_of(" \t"));
        }
        if (file.empty())
            return {};
        const std::filesystem::path named(file);
        return named.is_absolute() ? named : cuePath.parent_path() / named;
    }
    return {};
}

std::vector<uint8_t> CdImageDrive::ReadCdTextPacks()
{
    if (!IsMediaPresent())
        return {};
    const std::filesystem::path packFile = FindCdTextFile(m_cue);
    if (packFile.empty() || !IsRegularFile(packFile))
        return {};
    std::ifstream in(packFile, std::ios::binary);
    // A header, every pack of 8 full blocks and a trailing zero byte at most.
    constexpr size_t kLimit = 4 + kCdTextMaxPacks * kCdTextPackBytes + 1;
    std::vector<uint8_t> bytes(kLimit);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(kLimit));
    bytes.resize(size_t(in.gcount()));
    return PacksFromPackFile(bytes);
}
} // namespace qm::platform
