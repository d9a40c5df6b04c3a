#include "platform/media/WmaEncoder.h"

#include <algorithm>

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
}

namespace qm::platform
{

struct WmaEncoder::Impl
{
    WmaEncoderOutput* output = nullptr;
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    uint16_t channels = 0;
    uint32_t frameSize = 0;
    uint32_t staged = 0;
    int64_t nextPts = 0;
    bool failed = false;

    ~Impl() { release(); }

    void release()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        if (io != nullptr)
        {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        if (format != nullptr)
        {
            format->pb = nullptr;
            avformat_free_context(format);
            format = nullptr;
        }
        stream = nullptr;
        output = nullptr;
        channels = 0;
        frameSize = 0;
        staged = 0;
        nextPts = 0;
        failed = false;
    }

    bool ioFailed() const { return io == nullptr || io->error < 0; }

    // Sends one frame (null: drain) and writes every packet that comes out.
    bool encode(AVFrame* input)
    {
        if (input != nullptr)
        {
            input->pts = nextPts;
            nextPts += input->nb_samples;
        }
        if (avcodec_send_frame(codec, input) < 0)
            return false;
        for (;;)
        {
            const int received = avcodec_receive_packet(codec, packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                break;
            if (received < 0)
                return false;
            packet->stream_index = stream->index;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            const int written = av_interleaved_write_frame(format, packet);
            av_packet_unref(packet);
            if (written < 0)
                return false;
        }
        return !ioFailed();
    }
};

namespace
{
int WritePacket(void* opaque, uint8_t* data, int size)
{
    auto* output = static_cast<WmaEncoderOutput*>(opaque);
    if (size <= 0)
        return 0;
    const uint32_t written = output->write(data, static_cast<uint32_t>(size));
    return written == static_cast<uint32_t>(size) ? size : AVERROR(EIO);
}

int64_t SeekOutput(void* opaque, int64_t offset, int whence)
{
    auto* output = static_cast<WmaEncoderOutput*>(opaque);
    if (whence & AVSEEK_SIZE)
        return output->size();
    whence &= ~AVSEEK_FORCE;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
        return -1;
    return output->seek(offset, whence);
}
} // namespace

WmaEncoder::WmaEncoder()
    : m(std::make_unique<Impl>())
{
}

WmaEncoder::~WmaEncoder() = default;

bool WmaEncoder::isAvailable()
{
    return avcodec_find_encoder(AV_CODEC_ID_WMAV2) != nullptr && av_guess_format("asf", nullptr, nullptr) != nullptr;
}

bool WmaEncoder::open(WmaEncoderOutput& output, uint32_t sampleRate, uint16_t channels, uint32_t bitRate)
{
    close();
    if ((channels != 1 && channels != 2) || sampleRate == 0 || bitRate == 0)
        return false;
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (encoder == nullptr)
        return false;
    Impl& s = *m;
    s.output = &output;
    s.channels = channels;

    s.codec = avcodec_alloc_context3(encoder);
    if (s.codec == nullptr || avformat_alloc_output_context2(&s.format, nullptr, "asf", nullptr) < 0)
    {
        s.release();
        return false;
    }
    s.codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    s.codec->sample_rate = static_cast<int>(sampleRate);
    av_channel_layout_default(&s.codec->ch_layout, channels);
    s.codec->bit_rate = bitRate;
    s.codec->time_base = AVRational{1, static_cast<int>(sampleRate)};
    s.codec->flags |= AV_CODEC_FLAG_BITEXACT;
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER)
        s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // The encoder refuses rates and bit rates it cannot write.
    if (avcodec_open2(s.codec, encoder, nullptr) < 0 || s.codec->frame_size <= 0 ||
        s.codec->sample_rate != static_cast<int>(sampleRate) || s.codec->bit_rate != static_cast<int64_t>(bitRate))
    {
        s.release();
        return false;
    }
    s.frameSize = static_cast<uint32_t>(s.codec->frame_size);

    s.stream = avformat_new_stream(s.format, nullptr);
    constexpr int kIoBufferSize = 32768;
    auto* ioBuffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    if (s.stream == nullptr || ioBuffer == nullptr || avcodec_parameters_from_context(s.stream->codecpar, s.codec) < 0)
    {
        av_free(ioBuffer);
        s.release();
        return false;
    }
    s.stream->time_base = s.codec->time_base;
    s.io = avio_alloc_context(ioBuffer, kIoBufferSize, 1, &output, nullptr, WritePacket, SeekOutput);
    if (s.io == nullptr)
    {
        av_free(ioBuffer);
        s.release();
        return false;
    }
    s.format->pb = s.io;
    s.format->flags |= AVFMT_FLAG_CUSTOM_IO | AVFMT_FLAG_BITEXACT;

    s.frame = av_frame_alloc();
    s.packet = av_packet_alloc();
    if (s.frame == nullptr || s.packet == nullptr)
    {
        s.release();
        return false;
    }
    s.frame->format = AV_SAMPLE_FMT_FLTP;
    s.frame->sample_rate = s.codec->sample_rate;
    s.frame->nb_samples = s.codec->frame_size;
    if (av_channel_layout_copy(&s.frame->ch_layout, &s.codec->ch_layout) < 0 || av_frame_get_buffer(s.frame, 0) < 0 ||
        avformat_write_header(s.format, nullptr) < 0 || s.ioFailed())
    {
        s.release();
        return false;
    }
    // The decoder gives back nothing for the stream's first frame (it is the
    // overlap of the first transform). A frame of silence in front makes the
    // decoded audio start with the first sample written.
    for (uint16_t c = 0; c < channels; ++c)
        std::fill_n(reinterpret_cast<float*>(s.frame->extended_data[c]), s.frameSize, 0.0f);
    if (!s.encode(s.frame))
    {
        s.release();
        return false;
    }
    return true;
}

bool WmaEncoder::isOpen() const
{
    return m->format != nullptr;
}

uint32_t WmaEncoder::frameSize() const
{
    return m->frameSize;
}

uint32_t WmaEncoder::write(const int32_t* const* channels, uint32_t frames)
{
    Impl& s = *m;
    if (s.format == nullptr || s.failed || channels == nullptr)
        return 0;
    for (uint16_t c = 0; c < s.channels; ++c)
        if (channels[c] == nullptr)
            return 0;
    constexpr float kScale = 1.0f / 2147483648.0f;
    uint32_t blockStart = 0; // the first frame of this call in the block being filled
    uint32_t done = 0;
    while (done < frames)
    {
        if (s.staged == 0)
        {
            // The encoder may still hold the previous frame's buffers.
            if (av_frame_make_writable(s.frame) < 0)
            {
                s.failed = true;
                return blockStart;
            }
            blockStart = done;
        }
        const uint32_t count = std::min(frames - done, s.frameSize - s.staged);
        for (uint16_t c = 0; c < s.channels; ++c)
        {
            float* target = reinterpret_cast<float*>(s.frame->extended_data[c]) + s.staged;
            const int32_t* source = channels[c] + done;
            for (uint32_t i = 0; i < count; ++i)
                target[i] = static_cast<float>(source[i]) * kScale;
        }
        s.staged += count;
        done += count;
        if (s.staged == s.frameSize)
        {
            s.staged = 0;
            if (!s.encode(s.frame))
            {
                s.failed = true;
                return blockStart;
            }
        }
    }
    return done;
}

bool WmaEncoder::finish()
{
    Impl& s = *m;
    if (s.format == nullptr)
        return false;
    bool ok = !s.failed;
    if (ok && s.staged > 0)
    {
        // The encoder takes whole frames only: the last one is padded with silence.
        for (uint16_t c = 0; c < s.channels; ++c)
            std::fill(reinterpret_cast<float*>(s.frame->extended_data[c]) + s.staged,
                      reinterpret_cast<float*>(s.frame->extended_data[c]) + s.frameSize, 0.0f);
        s.staged = 0;
        ok = s.encode(s.frame);
    }
    ok = ok && s.encode(nullptr);
    ok = ok && av_write_trailer(s.format) >= 0;
    if (s.io != nullptr)
        avio_flush(s.io);
    ok = ok && !s.ioFailed();
    s.release();
    return ok;
}

void WmaEncoder::close()
{
    m->release();
}

} // namespace qm::platform
