#include "engine/audiofile/tags/CID3v2_3Create.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/foundation/FileNameHelpers.h"
#include "engine/audiofile/foundation/NumberHelpers.h"
#include "engine/audiofile/tags/CImageFileRead.h"

namespace
{
constexpr uint32_t kHeaderSize = 10;

bool AreDigits(const char16_t* text, std::initializer_list<int> indexes)
{
    for (const int i : indexes)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}
} // namespace

CID3v2_3Create::CID3v2_3Create()
{
    CID3v2_3Create::Reset();
}

void CID3v2_3Create::WriteUInt(uint64_t value, int byteCount)
{
    uint8_t bytes[8];
    byteCount = std::clamp(byteCount, 0, 8);
    IntToBigEndianBytes(bytes, value, byteCount);
    Append(bytes, static_cast<uint32_t>(byteCount));
}

void CID3v2_3Create::Reset()
{
    CBinaryFileWriteBuffer::Reset();
    Append("ID3", 3);
    WriteUInt(0x0300, 2);
    WriteUInt(0, 1);
    WriteUInt(0, 4);
}

uint32_t CID3v2_3Create::BeginFrame(const char* id)
{
    const uint32_t frameStart = GetSize();
    SetPosition(frameStart);
    Append(id, 4);
    WriteUInt(0, 4);
    WriteUInt(0, 2);
    return frameStart;
}

uint32_t CID3v2_3Create::FinishFrame(uint32_t frameStart)
{
    const uint32_t end = GetSize();
    if (end - kHeaderSize > kMaxTagBodySize)
    {
        Truncate(frameStart);
        SetPosition(frameStart);
        return 0;
    }
    const uint32_t frameSize = end - frameStart - kHeaderSize;
    SetPosition(frameStart + 4);
    WriteUInt(frameSize, 4);
    const uint32_t tagSize = end - kHeaderSize;
    const uint8_t syncSafe[4] = {uint8_t((tagSize >> 21) & 0x7F), uint8_t((tagSize >> 14) & 0x7F),
                                 uint8_t((tagSize >> 7) & 0x7F), uint8_t(tagSize & 0x7F)};
    SetPosition(6);
    Append(syncSafe, 4);
    SetPosition(end);
    return frameSize + kHeaderSize;
}

uint32_t CID3v2_3Create::AddTextFrame(const char* id, const char16_t* text)
{
    if (text == nullptr || text[0] == 0)
        return 0;
    uint32_t length = std::min(WideLength(text), kMaxTextLength);
    // The cut never leaves half of a surrogate pair.
    if (length == kMaxTextLength && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    bool ascii = true;
    for (uint32_t i = 0; i < length && ascii; ++i)
        ascii = text[i] >= 32 && text[i] <= 126;

    const uint32_t frameStart = BeginFrame(id);
    if (ascii)
    {
        WriteUInt(0, 1);
        for (uint32_t i = 0; i < length; ++i)
            WriteUInt(text[i], 1);
        WriteUInt(0, 1);
    }
    else
    {
        WriteUInt(1, 1);
        WriteUInt(0xFFFE, 2);
        for (uint32_t i = 0; i < length; ++i)
        {
            const uint8_t unit[2] = {uint8_t(text[i] & 0xFF), uint8_t(text[i] >> 8)};
            Append(unit, 2);
        }
        WriteUInt(0, 2);
    }
    return FinishFrame(frameStart);
}

uint32_t CID3v2_3Create::AddPicture(const uint8_t* data, uint32_t size)
{
    if (data == nullptr)
        return 0;
    const char* mime = nullptr;
    if (size >= 10 && IsJpegSignature(data))
        mime = "image/jpeg";
    else if (size >= 4 && IsPngSignature(data))
        mime = "image/png";
    if (mime == nullptr)
        return 0;
    const uint32_t mimeBytes = static_cast<uint32_t>(std::strlen(mime)) + 1;
    // Checked before anything is built: a picture too large for the tag is
    // left out without copying it.
    const uint64_t frameBytes = uint64_t(kHeaderSize) + 1 + mimeBytes + 2 + size;
    if (uint64_t(GetSize()) - kHeaderSize + frameBytes > kMaxTagBodySize)
        return 0;

    const uint32_t frameStart = BeginFrame("APIC");
    WriteUInt(0, 1);
    Append(mime, mimeBytes);
    WriteUInt(0, 1);
    WriteUInt(0, 1);
    Append(data, size);
    return FinishFrame(frameStart);
}

uint32_t CID3v2_3Create::AddDate(const char16_t* dateText)
{
    if (dateText == nullptr)
        return 0;
    const uint32_t length = WideLength(dateText);
    uint32_t added = 0;
    if (length >= 4 && AreDigits(dateText, {0, 1, 2, 3}))
    {
        const char16_t year[5] = {dateText[0], dateText[1], dateText[2], dateText[3], 0};
        added += AddTextFrame("TYER", year);
    }
    if (length >= 10 && AreDigits(dateText, {8, 9, 5, 6}))
    {
        const char16_t dayMonth[5] = {dateText[8], dateText[9], dateText[5], dateText[6], 0};
        added += AddTextFrame("TDAT", dayMonth);
    }
    return added;
}

uint32_t CID3v2_3Create::AddTime(const char16_t* timeText)
{
    if (timeText == nullptr || WideLength(timeText) < 5 || !AreDigits(timeText, {0, 1, 3, 4}))
        return 0;
    const char16_t hourMinute[5] = {timeText[0], timeText[1], timeText[3], timeText[4], 0};
    return AddTextFrame("TIME", hourMinute);
}

void CID3v2_3Create::CreateId3v2Tag(const CAudioMetaData& metadata)
{
    Reset();
    const auto text = [&metadata](int field) { return metadata.GetField(field)->GetWide(); };
    AddTextFrame("TALB", text(CAudioMetaData::kAlbum));
    AddTextFrame("TIT2", text(CAudioMetaData::kTitle));
    AddTextFrame("TPE2", text(CAudioMetaData::kAlbumArtist));
    AddTextFrame("TPE1", text(CAudioMetaData::kArtist));
    AddTextFrame("TCON", text(CAudioMetaData::kGenre));
    AddDate(text(CAudioMetaData::kDate));
    AddTime(text(CAudioMetaData::kTime));
    AddTextFrame("TSSE", text(CAudioMetaData::kSoftware));

    // The picture named by the record, as its reader loads it (an image file,
    // or the picture in another audio file's tag).
    const std::unique_ptr<CImageFileReadBase> picture(CreateImageFileRead(metadata.GetPicturePath()));
    if (picture != nullptr && picture->GetDataSize() > 0 && picture->Load() > 0)
        AddPicture(picture->GetData(), picture->GetLoadedSize());
}
