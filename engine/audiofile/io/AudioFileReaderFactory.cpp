#include "engine/audiofile/io/AudioFileReaderFactory.h"

#include <memory>
#include <string>

#include "engine/audiofile/aiff/CAifcSowtFileRead.h"
#include "engine/audiofile/aiff/CAiffFileRead.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "engine/audiofile/cd/CCdaFileRead.h"
#include "engine/audiofile/foundation/FileNameHelpers.h"
#include "engine/audiofile/media/CQuickTimeFileRead.h"
#include "engine/audiofile/media/CWindowsMediaFileRead.h"
#include "engine/audiofile/wav/CWavFileRead.h"

namespace
{
using Maker = CAudioFileReadBase* (*)(bool readCdText);

struct Group
{
    // The extensions (lower case) the group applies to; an empty list
    // applies to names without extension only.
    const char16_t* extensions[4];
    Maker make;
    // Asked each time the group is reached; null: always available.
    bool (*available)();
};

const Group kCd = {{}, [](bool readCdText) -> CAudioFileReadBase* { return new CAudioCDRead(readCdText); }, nullptr};
const Group kWav = {{u"wav"}, [](bool) -> CAudioFileReadBase* { return new CWavFileRead(); }, nullptr};
const Group kAiff = {{u"aif", u"aiff"}, [](bool) -> CAudioFileReadBase* { return new CAiffFileRead(); }, nullptr};
const Group kAifcSowt = {
    {u"aif", u"aiff"}, [](bool) -> CAudioFileReadBase* { return new CAifcSowtFileRead(); }, nullptr};
const Group kWindowsMedia = {
    {u"mp3", u"wma", u"wmv"}, [](bool) -> CAudioFileReadBase* { return new CWindowsMediaFileRead(); }, nullptr};
const Group kQuickTime = {{u"mp3", u"m4a", u"mp4", u"aac"},
                          [](bool) -> CAudioFileReadBase* { return new CQuickTimeFileRead(); },
                          &CQuickTimeFileRead::IsAvailable};
const Group kCda = {{u"cda"}, [](bool) -> CAudioFileReadBase* { return new CCdaFileRead(); }, nullptr};

const Group* const kReaderGroups[] = {&kCd, &kWav, &kAiff, &kAifcSowt, &kWindowsMedia, &kQuickTime, &kCda};
const Group* const kPictureGroups[] = {&kAiff, &kAifcSowt, &kWindowsMedia, &kQuickTime};

// The extension of the path's file name, lower-cased (ASCII letters only).
std::u16string LowerExtension(const char16_t* path)
{
    std::u16string buffer(std::char_traits<char16_t>::length(path) + 1, u'\0');
    const uint32_t length = GetFileExtension(buffer.data(), path);
    buffer.resize(length);
    for (char16_t& c : buffer)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return buffer;
}

bool Applies(const Group& group, const std::u16string& extension)
{
    if (extension.empty())
        return true;
    for (const char16_t* e : group.extensions)
        if (e != nullptr && extension == e)
            return true;
    return false;
}

template <size_t N>
CAudioFileReadBase* OpenFirst(const Group* const (&groups)[N], const char16_t* path, bool readCdText)
{
    if (path == nullptr || path[0] == 0)
        return nullptr;
    const std::u16string extension = LowerExtension(path);
    for (const Group* group : groups)
    {
        if (!Applies(*group, extension))
            continue;
        if (group->available != nullptr && !group->available())
            continue;
        std::unique_ptr<CAudioFileReadBase> reader(group->make(readCdText));
        if (reader->Open(path) == ReaderOpenResult::Ok)
            return reader.release();
    }
    return nullptr;
}
} // namespace

CAudioFileReadBase* CreateAudioFileReader(const char16_t* path, bool skipCdText)
{
    return OpenFirst(kReaderGroups, path, !skipCdText);
}

CAudioFileReadBase* CreateDirectAudioFileReader(const char16_t* path, bool skipCdText)
{
    std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(path, skipCdText));
    if (reader == nullptr)
        return nullptr;
    if (reader->GetSampleRate() > 96000 || (reader->IsCompressed() && reader->IsLossless()))
        return nullptr;
    return reader.release();
}

CAudioFileReadBase* CreateAudioFileReaderForPicture(const char16_t* path)
{
    return OpenFirst(kPictureGroups, path, false);
}
