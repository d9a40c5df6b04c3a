#include "engine/audiofile/tags/Id3MetaDataMerge.h"

#include <memory>

#include "engine/audiofile/tags/CID3v1.h"
#include "engine/audiofile/tags/CID3v2Read.h"

namespace
{
constexpr uint32_t kCapacity = CAudioMetaData::kFieldCapacity + 1;

using Getter = uint32_t (CID3v2Read::*)(char16_t*, uint32_t);
using V1Getter = uint32_t (CID3v1::*)(char16_t*, uint32_t) const;

void FillIfEmpty(CAudioMetaData& metadata, int field, const char16_t* text, uint32_t length)
{
    CMultiString* target = metadata.GetField(field);
    if (length > 0 && target->IsEmpty())
        target->SetWide(static_cast<int>(length), text);
}
} // namespace

bool HasDateDigits(const char16_t* text)
{
    for (; *text != 0; ++text)
        if (*text >= u'0' && *text <= u'9')
            return true;
    return false;
}

uint32_t MergeId3TagsIntoMetaData(const char16_t* path, CAudioMetaData& metadata)
{
    uint32_t pictureSize = 0;
    std::unique_ptr<CID3v2Read> tag(CreateId3v2Reader(path, 0));
    if (tag != nullptr)
    {
        static constexpr struct
        {
            int field;
            Getter getter;
        } kTexts[] = {
            {CAudioMetaData::kAlbum, &CID3v2Read::GetAlbum},
            {CAudioMetaData::kTitle, &CID3v2Read::GetTitle},
            {CAudioMetaData::kAlbumArtist, &CID3v2Read::GetAlbumArtist},
            {CAudioMetaData::kArtist, &CID3v2Read::GetArtist},
            {CAudioMetaData::kGenre, &CID3v2Read::GetGenre},
            {CAudioMetaData::kSoftware, &CID3v2Read::GetEncoder},
        };
        char16_t text[kCapacity];
        for (const auto& entry : kTexts)
        {
            const uint32_t length = (tag.get()->*entry.getter)(text, kCapacity);
            FillIfEmpty(metadata, entry.field, text, length);
        }
        static constexpr struct
        {
            int field;
            Getter getter;
        } kMoments[] = {
            {CAudioMetaData::kDate, &CID3v2Read::GetDate},
            {CAudioMetaData::kTime, &CID3v2Read::GetTime},
        };
        for (const auto& entry : kMoments)
        {
            CMultiString* target = metadata.GetField(entry.field);
            target->Clear();
            const uint32_t length = (tag.get()->*entry.getter)(text, kCapacity);
            // A blank template is no date: leave the field empty, so that a
            // later source (the ID3v1 year, the file's time) can fill it.
            if (HasDateDigits(text))
                target->SetWide(static_cast<int>(length), text);
        }
        pictureSize = tag->ReadPicture(nullptr, 0, -1);
        if (pictureSize > 0 && !metadata.SetPicturePath(path))
            pictureSize = 0;
    }

    CID3v1FileRead trailer;
    if (trailer.Open(path) == 0)
    {
        static constexpr struct
        {
            int field;
            V1Getter getter;
        } kTexts[] = {
            {CAudioMetaData::kAlbum, &CID3v1::GetAlbum},
            {CAudioMetaData::kArtist, &CID3v1::GetArtist},
            {CAudioMetaData::kTitle, &CID3v1::GetTitle},
            {CAudioMetaData::kGenre, &CID3v1::GetGenre},
        };
        char16_t text[kCapacity];
        for (const auto& entry : kTexts)
        {
            const uint32_t length = (trailer.GetTag().*entry.getter)(text, kCapacity);
            FillIfEmpty(metadata, entry.field, text, length);
        }
        const uint32_t length = trailer.GetTag().GetDate(text, kCapacity);
        if (HasDateDigits(text))
            FillIfEmpty(metadata, CAudioMetaData::kDate, text, length);
    }
    return pictureSize;
}
