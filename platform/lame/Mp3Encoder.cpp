#include "platform/lame/Mp3Encoder.h"

#include <atomic>
#include <lame/lame.h>

namespace qmplatform
{
namespace
{
std::atomic<bool> g_simulateUnavailable{false};

lame_global_flags* Flags(void* context)
{
    return static_cast<lame_global_flags*>(context);
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
    bool ok = lame_set_in_samplerate(flags, static_cast<int>(sampleRate)) == 0 &&
              lame_set_out_samplerate(flags, static_cast<int>(sampleRate)) == 0 &&
              lame_set_num_channels(flags, channels) == 0 && lame_set_mode(flags, channels == 1 ? MONO : JOINT_STEREO) == 0 &&
              lame_set_VBR(flags, vbr_off) == 0 && lame_set_brate(flags, kbps) == 0 &&
              lame_set_quality(flags, 2) == 0 && lame_set_bWriteVbrTag(flags, 1) == 0;
    if (ok)
    {
        // Tags are the caller's business.
        lame_set_write_id3tag_automatic(flags, 0);
        ok = lame_init_params(flags) >= 0;
    }
    // The library adjusts rates it cannot write instead of refusing them.
    ok = ok && lame_get_out_samplerate(flags) == static_cast<int>(sampleRate) && lame_get_brate(flags) == kbps &&
         lame_get_num_channels(flags) == channels;
    if (!ok)
    {
        close();
        return false;
    }
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
            out.resize(start);
            return false;
        }
        out.resize(at + static_cast<size_t>(written));
        done += count;
    }
    return true;
}

bool Mp3Encoder::flush(std::vector<uint8_t>& out)
{
    if (!m_open || m_flushed)
        return false;
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
    m_flushed = true;
    return true;
}

bool Mp3Encoder::infoFrame(std::vector<uint8_t>& out) const
{
    out.clear();
    if (!m_open || !m_flushed)
        return false;
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

} // namespace qmplatform
