#include "engine/audiofile/io/CAudioFileWriteBase.h"

#include <string>

#include "engine/audiofile/foundation/NumberHelpers.h"
#include "platform/files/FileSafety.h"

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
        (void)qm::platform::removeFile(narrow);
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
    const bool renamed = qm::platform::renameNoReplace(from, to) == qm::platform::RenameResult::Ok;
    return closed && renamed;
}
