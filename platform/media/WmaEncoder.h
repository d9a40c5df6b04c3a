#pragma once

#include <cstdint>
#include <memory>

namespace qm::platform
{

// Where the encoder puts its file: the caller's file, written and sought by
// position (the container's header is rewritten at the end).
class WmaEncoderOutput
{
public:
    virtual ~WmaEncoderOutput() = default;
    // Writes size bytes at the position and advances it; returns the count
    // written (fewer than size on a failure such as a full disk).
    virtual uint32_t write(const uint8_t* data, uint32_t size) = 0;
    // origin 0 from the start, 1 from the position, 2 from the end; returns
    // the new position, or -1.
    virtual int64_t seek(int64_t offset, int origin) = 0;
    // The file's length in bytes, or -1.
    virtual int64_t size() = 0;
};

// Encodes Windows Media Audio version 2 into an ASF file at a constant bit
// rate from planar 32-bit integer samples (full scale +/- 2^31). Samples are
// collected into the encoder's frames; the last frame is padded with
// silence. A frame of silence leads the stream, so that the decoder's first
// sample is the first sample written: decoded files start exactly aligned
// and end with the padding of the last frame. The encoder's and the muxer's bit-exact mode keeps the library's
// own name out of the file. Attributes are not written here.
//
// One object is used from one thread at a time.
class WmaEncoder
{
public:
    WmaEncoder();
    ~WmaEncoder();

    WmaEncoder(const WmaEncoder&) = delete;
    WmaEncoder& operator=(const WmaEncoder&) = delete;

    // True when the installed libraries can encode and mux the format.
    static bool isAvailable();

    // Starts a file on the output (which must outlive the stream). False when
    // the format is refused (1 or 2 channels, the encoder's rates and bit
    // rates) or the header cannot be written; nothing stays open then.
    bool open(WmaEncoderOutput& output, uint32_t sampleRate, uint16_t channels, uint32_t bitRate);
    bool isOpen() const;

    // Frames per encoder frame of the open stream; 0 when closed.
    uint32_t frameSize() const;

    // Takes frames of the open channel count. Returns the frames taken:
    // fewer than given when encoding or writing failed (the stream has then
    // failed; later calls take nothing).
    uint32_t write(const int32_t* const* channels, uint32_t frames);

    // Pads and encodes the last frame, drains the encoder and finishes the
    // file (the header gets its final sizes and duration). Closes the stream
    // either way; false when anything of the stream failed.
    bool finish();
    // Abandons the stream without finishing the file.
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace qm::platform
