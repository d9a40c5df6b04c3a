#include "engine/audiofile/wav/CListInfoChunkCreate.h"

#include <cstring>

#include "engine/audiofile/foundation/EngineText.h"

CListInfoChunkCreate::CListInfoChunkCreate()
{
    CListInfoChunkCreate::Reset();
}

void CListInfoChunkCreate::Reset()
{
    CBinaryFileWriteBuffer::Reset();
    Append("LIST", 4);
    WriteUInt(4, 4);
    Append("INFO", 4);
}

uint32_t CListInfoChunkCreate::AddText(const char* id, const char* text)
{
    if (text == nullptr || text[0] == 0 || ContainsNonPrintableAscii(text))
        return 0;
    const uint32_t length = static_cast<uint32_t>(std::strlen(text));
    const uint32_t size = (length + 2) & ~1u;
    const uint32_t start = GetSize();
    SetPosition(start);
    Append(id, 4);
    WriteUInt(size, 4);
    Append(text, length);
    const uint8_t zeros[2] = {0, 0};
    Append(zeros, size - length);
    const uint32_t end = GetSize();
    SetPosition(4);
    WriteUInt(end - 8, 4);
    SetPosition(end);
    return end - start;
}

void CListInfoChunkCreate::CreateListInfo(const CAudioMetaData& metadata)
{
    Reset();
    const auto text = [&metadata](int field) { return metadata.GetField(field)->GetNarrow(); };
    AddText("INAM", text(CAudioMetaData::kTitle));
    AddText("IART", text(CAudioMetaData::kArtist));
    AddText("IGNR", text(CAudioMetaData::kGenre));
    AddText("IARL", text(CAudioMetaData::kLocation));
    AddText("ICRD", text(CAudioMetaData::kDate));
    AddText("ISFT", text(CAudioMetaData::kSoftware));
}
