#pragma once

#include <cstddef>
#include <cstdint>

class CBinaryFile64;

// The bit-rate header an encoder may put in the first MPEG audio frame of an
// MP3 file: "Xing" (variable bit rate), "Info" (the same header for a
// constant bit rate) or "VBRI" (variable bit rate).
enum class Mp3VbrHeader
{
    None,
    Xing,
    Info,
    Vbri,
};

// Looks for the header in the first MPEG Layer III frame of `data`, which
// holds the bytes of a file from its start (an ID3v2 tag there is skipped
// when it lies within `size`). Every offset is checked against `size`.
Mp3VbrHeader FindMp3VbrHeader(const uint8_t* data, size_t size);

// The same for the file open in `file` (its position moves).
Mp3VbrHeader ReadMp3VbrHeader(CBinaryFile64& file);

// True for the headers that mark a variable bit rate.
inline bool IsVariableBitRateHeader(Mp3VbrHeader header)
{
    return header == Mp3VbrHeader::Xing || header == Mp3VbrHeader::Vbri;
}
