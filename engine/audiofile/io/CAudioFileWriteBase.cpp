#include "engine/audiofile/io/CAudioFileWriteBase.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "engine/audiofile/foundation/NumberHelpers.h"

namespace
{
// Renames without ever replacing an existing file.
bool RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: a hard link fails when the
    // target exists, so link and unlink give the same guarantee.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}
} // namespace

CAudioFileWriteBase::CAudioFileWriteBase()
    : CBinaryFile64(true)
{
}

CAudioFileWriteBase::~CAudioFileWriteBase() = default;

uint64_t CAudioFileWriteBase::GetFileSize()
{
    return static_cast<uint64_t>(GetFileLength());
}

void CAudioFileWriteBase::GetLengthHourMinSec(int* hours, int* minutes, float* seconds)
{
    SecondsToHourMinSec(GetLengthInSeconds(), hours, minutes, seconds);
}

double CAudioFileWriteBase::GetLengthInSeconds()
{
    const uint32_t rate = GetSampleRate();
    if (rate == 0)
        return 0.0;
    return static_cast<double>(GetWrittenFrames()) / rate;
}

void CAudioFileWriteBase::Cancel()
{
    if (!IsOpen())
        return;
    const std::u16string path = GetPath();
    Close();
    std::string narrow;
    if (PathToUtf8(path, narrow))
        ::unlink(narrow.c_str());
}

bool CAudioFileWriteBase::CloseAndRename(const char16_t* newPath)
{
    if (!IsOpen())
        return false;
    const std::u16string path = GetPath();
    const bool closed = Close();
    std::string from;
    std::string to;
    if (newPath == nullptr || !PathToUtf8(path, from) || !PathToUtf8(newPath, to))
        return false;
    const bool renamed = RenameNoReplace(from, to);
    return closed && renamed;
}
