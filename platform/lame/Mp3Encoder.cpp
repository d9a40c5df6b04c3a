#include "platform/lame/Mp3Encoder.h"

#include <algorithm>
#include <atomic>
#include <lame/lame.h>

namespace qm::platform
{
namespace
{
std::atomic<bool> g_simulateUnavailable{false};

lame_global_flags* Flags(void* context)
{
    return static_cast<lame_global_flags*>(context);
}

// Sets a context up for the format; false when the library refuses it.
bool Configure(lame_global_flags* flags, uint32_t sampleRate, uint16_t channels, int kbps)
{
    const bool ok = lame_set_in_samplerate(flags, static_cast<int>(sampleRate)) == 0 &&
                    lame_set_out_samplerate(flags, static_cast<int>(sampleRate)) == 0 &&
                    lame_set_num_channels(flags, channels) == 0 &&
                    lame_set_mode(flags, channels == 1 ? MONO : JOINT_STEREO) == 0 &&
                    lame_set_VBR(flags, vbr_off) == 0 && lame_set_brate(flags, kbps) == 0 &&
                    lame_set_quality(flags, 2) == 0 && lame_set_bWriteVbrTag(flags, 1) == 0;
    if (!ok)
        return false;
    // Tags are the caller's business.
    lame_set_write_id3tag_automatic(flags, 0);
    return lame_init_params(flags) >= 0;
}

// Whether the library writes its info frame for the format: a short trial
// stream answers it.
bool LibraryWritesInfoFrame(uint32_t sampleRate, uint16_t channels, int kbps)
{
    lame_global_flags* trial = lame_init();
    if (trial == nullptr)
        return false;
    bool writes = false;
    if (Configure(trial, sampleRate, channels, kbps))
    {
        std::vector<int> silence(1152, 0);
        std::vector<unsigned char> bytes(16384);
        unsigned char frame[4096];
        writes = lame_encode_buffer_int(trial, silence.data(), silence.data(), 1152, bytes.data(), 8192) >= 0 &&
                 lame_encode_flush(trial, bytes.data() + 8192, 8192) >= 0 &&
                 lame_get_lametag_frame(trial, frame, sizeof frame) > 0;
    }
    lame_close(trial);
    return writes;
}

// CRC-16 (polynomial 0x8005, reflected, start 0) as the info frame states it.
uint16_t InfoCrc(const uint8_t* data, size_t size)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

void PutBE(uint8_t* at, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
}

// The library's advice for the output size of an encode call.
size_t WorstCaseBytes(uint32_t frames)
{
    return static_cast<size_t>(frames) * 5 / 4 + 7200;
}
} // namespace

Mp3Encoder::Mp3Encoder()
{
    m_available = !g_simulateUnavailable.load();
    if (m_available)
    {
        lame_global_flags* probe = lame_init();
        m_available = probe != nullptr;
        if (probe != nullptr)
            lame_close(probe);
    }
}

Mp3Encoder::~Mp3Encoder()
{
    close();
}

void Mp3Encoder::simulateUnavailable(bool unavailable)
{
    g_simulateUnavailable.store(unavailable);
}

bool Mp3Encoder::open(uint32_t sampleRate, uint16_t channels, uint32_t bitRate)
{
    close();
    if (!m_available || (channels != 1 && channels != 2) || sampleRate == 0 || bitRate == 0 || bitRate % 1000 != 0)
        return false;
    lame_global_flags* flags = lame_init();
    if (flags == nullptr)
        return false;
    m_lame = flags;
    const int kbps = static_cast<int>(bitRate / 1000);
    bool ok = Configure(flags, sampleRate, channels, kbps);
    // The library adjusts rates it cannot write instead of refusing them.
    ok = ok && lame_get_out_samplerate(flags) == static_cast<int>(sampleRate) && lame_get_brate(flags) == kbps &&
         lame_get_num_channels(flags) == channels;
    if (!ok)
    {
        close();
        return false;
    }
    m_sampleRate = sampleRate;
    m_bitRate = bitRate;
    m_ownInfoFrame = false;
    if (!LibraryWritesInfoFrame(sampleRate, channels, kbps))
    {
        // An MPEG-1 frame of the first bit rate whose frame holds the info
        // frame: header, side information, 120 bytes of info and 36 of the
        // encoder's extension (delay and padding among them).
        static const int kKbps[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
        const int rateIndex = sampleRate == 44100 ? 0 : sampleRate == 48000 ? 1 : sampleRate == 32000 ? 2 : -1;
        const uint32_t needed = 4 + (channels == 1 ? 17 : 32) + 120 + 36;
        for (int i = 0; rateIndex >= 0 && i < 14 && !m_ownInfoFrame; ++i)
        {
            const uint32_t size = static_cast<uint32_t>(144 * kKbps[i] * 1000 / static_cast<int>(sampleRate));
            if (size < needed)
                continue;
            m_ownInfoFrame = true;
            m_ownInfoFrameSize = size;
            m_ownInfoFrameHeader[0] = 0xFF;
            m_ownInfoFrameHeader[1] = 0xFB; // MPEG-1 Layer III, no CRC
            m_ownInfoFrameHeader[2] = static_cast<uint8_t>(((i + 1) << 4) | (rateIndex << 2));
            m_ownInfoFrameHeader[3] = static_cast<uint8_t>((channels == 1 ? 3 : 1) << 6 | 0x04);
        }
    }
    m_ownInfoFrameReserved = false;
    m_streamBytes = 0;
    m_channels = channels;
    m_open = true;
    m_flushed = false;
    return true;
}

void Mp3Encoder::close()
{
    if (m_lame != nullptr)
        lame_close(Flags(m_lame));
    m_lame = nullptr;
    m_open = false;
    m_flushed = false;
    m_channels = 0;
    m_ownInfoFrame = false;
    m_ownInfoFrameReserved = false;
    m_streamBytes = 0;
}

void Mp3Encoder::reserveOwnInfoFrame(std::vector<uint8_t>& out)
{
    if (!m_ownInfoFrame || m_ownInfoFrameReserved)
        return;
    m_ownInfoFrameReserved = true;
    // A silent frame until the info frame takes its place.
    const size_t at = out.size();
    out.insert(out.end(), m_ownInfoFrameSize, 0);
    std::copy(m_ownInfoFrameHeader, m_ownInfoFrameHeader + 4, out.begin() + static_cast<std::ptrdiff_t>(at));
    m_streamBytes += m_ownInfoFrameSize;
}

std::vector<uint8_t> Mp3Encoder::buildOwnInfoFrame() const
{
    lame_global_flags* flags = Flags(m_lame);
    std::vector<uint8_t> frame(m_ownInfoFrameSize, 0);
    std::copy(m_ownInfoFrameHeader, m_ownInfoFrameHeader + 4, frame.begin());
    uint8_t* info = frame.data() + 4 + (m_channels == 1 ? 17 : 32);
    std::copy_n("Info", 4, info);
    PutBE(info + 4, 0x0F, 4); // frames, bytes, table of contents, quality follow
    PutBE(info + 8, static_cast<uint32_t>(lame_get_frameNum(flags)), 4);
    PutBE(info + 12, m_streamBytes, 4);
    for (int i = 0; i < 100; ++i) // constant bit rate: a straight line
        info[16 + i] = static_cast<uint8_t>(i * 256 / 100);
    PutBE(info + 116, 100 - 10 * lame_get_quality(flags), 4);
    uint8_t* extension = info + 120;
    std::copy_n("LAME3.100", 9, extension);
    extension[9] = 0x01; // revision 0, constant bit rate
    extension[10] = static_cast<uint8_t>(lame_get_lowpassfreq(flags) / 100);
    extension[20] = static_cast<uint8_t>(std::min<uint32_t>(m_bitRate / 1000, 255));
    const int delay = lame_get_encoder_delay(flags);
    const int padding = lame_get_encoder_padding(flags);
    PutBE(extension + 21, (static_cast<uint32_t>(delay & 0xFFF) << 12) | static_cast<uint32_t>(padding & 0xFFF), 3);
    PutBE(extension + 28, m_streamBytes, 4);
    const size_t crcOffset = static_cast<size_t>(extension + 34 - frame.data());
    PutBE(frame.data() + crcOffset, InfoCrc(frame.data(), crcOffset), 2);
    return frame;
}

uint32_t Mp3Encoder::frameSize() const
{
    return m_open ? static_cast<uint32_t>(lame_get_framesize(Flags(m_lame))) : 0;
}

bool Mp3Encoder::encode(const int32_t* const* channels, uint32_t frames, std::vector<uint8_t>& out)
{
    if (!m_open || m_flushed || channels == nullptr || channels[0] == nullptr ||
        (m_channels == 2 && channels[1] == nullptr))
        return false;
    if (frames == 0)
        return true;
    static_assert(sizeof(int) == sizeof(int32_t));
    const size_t start = out.size();
    reserveOwnInfoFrame(out);
    // Encoded in pieces so that the worst-case output of one call fits an int.
    constexpr uint32_t kPiece = 1u << 16;
    for (uint32_t done = 0; done < frames;)
    {
        const uint32_t count = frames - done < kPiece ? frames - done : kPiece;
        const size_t room = WorstCaseBytes(count);
        const size_t at = out.size();
        out.resize(at + room);
        const int* left = reinterpret_cast<const int*>(channels[0] + done);
        const int* right = m_channels == 2 ? reinterpret_cast<const int*>(channels[1] + done) : left;
        const int written = lame_encode_buffer_int(Flags(m_lame), left, right, static_cast<int>(count), out.data() + at,
                                                   static_cast<int>(room));
        if (written < 0)
        {
            // The stream has failed; nothing of this call is kept.
            out.resize(start);
            return false;
        }
        out.resize(at + static_cast<size_t>(written));
        m_streamBytes += static_cast<uint64_t>(written);
        done += count;
    }
    return true;
}

bool Mp3Encoder::flush(std::vector<uint8_t>& out)
{
    if (!m_open || m_flushed)
        return false;
    reserveOwnInfoFrame(out);
    const size_t at = out.size();
    constexpr int kRoom = 7200 * 2;
    out.resize(at + kRoom);
    const int written = lame_encode_flush(Flags(m_lame), out.data() + at, kRoom);
    if (written < 0)
    {
        out.resize(at);
        return false;
    }
    out.resize(at + static_cast<size_t>(written));
    m_streamBytes += static_cast<uint64_t>(written);
    m_flushed = true;
    return true;
}

bool Mp3Encoder::infoFrame(std::vector<uint8_t>& out) const
{
    out.clear();
    if (!m_open || !m_flushed)
        return false;
    if (m_ownInfoFrame)
    {
        out = buildOwnInfoFrame();
        return true;
    }
    // An MPEG frame is never longer than this.
    out.resize(4096);
    const size_t size = lame_get_lametag_frame(Flags(m_lame), out.data(), out.size());
    if (size == 0 || size > out.size())
    {
        out.clear();
        return false;
    }
    out.resize(size);
    return true;
}

} // namespace qm::platform
