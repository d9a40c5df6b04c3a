#pragma once

#include <cstdint>
#include <vector>

namespace qm::platform
{

// Encodes MPEG-1/2 Layer III at a constant bit rate from planar 32-bit
// integer samples (full scale +/- 2^31). The first frame of the stream is a
// placeholder for the encoder's info frame (length, delay and padding), which
// infoFrame gives once the stream is flushed; a file writer writes it over
// the placeholder so that decoders give back the exact length.
//
// One object is used from one thread at a time.
class Mp3Encoder
{
public:
    Mp3Encoder();
    ~Mp3Encoder();

    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // True when the encoder library could be initialised for this object.
    bool isAvailable() const { return m_available; }

    // Sets the encoder up for the format. False when the library is not
    // available, the channel count is not 1 or 2, the bit rate is not a whole
    // number of kbit/s, or the encoder would not write exactly this sample
    // rate and bit rate (it would resample or round them silently).
    // Opening again starts a new stream.
    bool open(uint32_t sampleRate, uint16_t channels, uint32_t bitRate);
    void close();
    bool isOpen() const { return m_open; }

    // Frames per MPEG frame of the open stream (1152 for MPEG-1); 0 when closed.
    uint32_t frameSize() const;

    // Encodes frames of the open channel count and appends the bytes the
    // encoder produced to out (possibly none). False on an encoder error;
    // out is then unchanged.
    bool encode(const int32_t* const* channels, uint32_t frames, std::vector<uint8_t>& out);
    // Ends the stream: pads the last frame and appends the remaining bytes.
    bool flush(std::vector<uint8_t>& out);
    // After flush: the info frame that replaces the stream's first frame,
    // exactly as long as that frame. False when there is none.
    bool infoFrame(std::vector<uint8_t>& out) const;

    // For tests: makes every later-constructed encoder behave as if the
    // library could not be initialised (true), or restores the real answer.
    static void simulateUnavailable(bool unavailable);

private:
    // Puts the reserved first frame in front of the first bytes of the stream
    // when this object writes the info frame itself.
    void reserveOwnInfoFrame(std::vector<uint8_t>& out);
    std::vector<uint8_t> buildOwnInfoFrame() const;

    void* m_lame = nullptr; // the library's context
    // The library leaves out its info frame where it does not fit one frame
    // of the stream's bit rate (mono at the lowest bit rates); this object
    // then writes one of its own, in a larger frame.
    bool m_ownInfoFrame = false;
    bool m_ownInfoFrameReserved = false;
    uint32_t m_ownInfoFrameSize = 0;
    uint8_t m_ownInfoFrameHeader[4] = {};
    uint64_t m_streamBytes = 0;
    uint32_t m_sampleRate = 0;
    uint32_t m_bitRate = 0;
    bool m_available = false;
    bool m_open = false;
    bool m_flushed = false;
    uint16_t m_channels = 0;
};

} // namespace qm::platform
