#include "platform/media/MediaDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace qm::platform
{
namespace
{
// Frames decoded before a seek target so that decoders that carry state from
// frame to frame (the MP3 bit reservoir, AAC and WMA overlap) have settled.
constexpr int64_t kMinimumPreroll = 4096;
// The MP3 bit reservoir reaches 511 bytes back, which at low bit rates spans
// several frames, and each frame overlaps the one before: MP3 seeks decode
// this many whole frames before the target.
constexpr int64_t kMpegAudioPrerollFrames = 10;
// The longest stretch of rejected or missing packets that is kept on the
// timeline as silence. A timestamp jump further ahead than this is damage in
// the timestamps themselves, and the frame is taken as following on.
constexpr int64_t kMaxGapSeconds = 60;
// A stream shorter than this many seconds is measured by decoding it whole.
constexpr int64_t kWholeDecodeSeconds = 20;
// The stretch before the estimated end that the length measurement decodes.
constexpr int64_t kTailSeconds = 3;
// Tries of that measurement, each 30 seconds further back, before the
// stream is decoded whole instead.
constexpr int kTailAttempts = 4;
// Demuxer (or decoder) errors in a row, other than the end of the file,
// after which reading gives up on a file whose I/O layer reports no error.
constexpr int kMaxDemuxErrorsInRow = 1000;
// The containers the media layer opens.
constexpr const char* kDemuxers = "mp3,asf,mov,mp4,m4a,3gp,3g2,mj2,aac";

// FFmpeg reports every recoverable oddity of a file (a damaged frame, a
// stream without time scale); only errors are worth the standard error.
void QuietLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

// Scales a float sample (never NaN) by 2^31, clips it to 32 bits and rounds
// to the nearest integer, ties to even as lrint does; written without calls
// so that the loops over a block become vector code.
inline int32_t floatToInt32(float v)
{
    double s = static_cast<double>(v) * 2147483648.0;
    s = s < -2147483648.0 ? -2147483648.0 : s;
    s = s > 2147483647.0 ? 2147483647.0 : s;
    // Adding and taking away 1.5 * 2^52 leaves s rounded to an integer.
    constexpr double kRound = 6755399441055744.0;
    s = (s + kRound) - kRound;
    return static_cast<int32_t>(s);
}

} // namespace

struct MediaDecoder::Impl
{
    std::string path;
    // Bytes to demux instead of a file (openMemory); the caller keeps them.
    const uint8_t* memory = nullptr;
    size_t memorySize = 0;
    size_t memoryPos = 0;
    AVIOContext* memoryIo = nullptr;
    AVFormatContext* fmt = nullptr;
    AVCodecContext* dec = nullptr;
    AVPacket* pkt = nullptr;
    AVFrame* frame = nullptr;

    std::string container;
    std::vector<MediaAudioStreamInfo> audio;
    int other = 0;
    int64_t containerBitRate = 0;
    int64_t fileSize = 0;

    int chosen = -1;
    AVStream* st = nullptr;
    int decBits = 0;

    // Decoded samples waiting to be delivered; pend[c][pendOffset..pendCount).
    // A decoder of float samples fills pendFloat instead, so that float reads
    // get its samples unclipped (a lossy decode may overshoot full scale).
    std::vector<std::vector<int32_t>> pend;
    std::vector<std::vector<float>> pendFloat;
    bool floatFrames = false;
    size_t pendOffset = 0;
    size_t pendCount = 0;

    uint64_t pos = 0; // index of pend[c][pendOffset]
    uint64_t len = 0;
    bool eof = false;
    bool failed = false;
    bool demuxEnd = false;

    int64_t refPts = AV_NOPTS_VALUE; // timestamp of the first frame delivered
    // The codec's frame length where every packet decodes to whole frames of
    // it; frame starts are then snapped to it, at `phase` (the length of the
    // first delivered frame, which the encoder delay may have shortened).
    int grid = 0;
    int64_t phase = 0;
    bool snapToGrid = false;
    int64_t preroll = kMinimumPreroll;

    ~Impl() { closeAll(); }

    void closeDecoder()
    {
        avcodec_free_context(&dec);
        av_frame_free(&frame);
        av_packet_free(&pkt);
        st = nullptr;
        pend.clear();
        pendFloat.clear();
        floatFrames = false;
        pendOffset = pendCount = 0;
        pos = len = 0;
        eof = failed = demuxEnd = false;
        refPts = AV_NOPTS_VALUE;
        grid = 0;
        phase = 0;
        snapToGrid = false;
        decBits = 0;
    }

    void closeAll()
    {
        closeDecoder();
        closeFormat();
        chosen = -1;
        audio.clear();
        other = 0;
        container.clear();
        containerBitRate = 0;
        fileSize = 0;
    }

    // Opens the demuxer on the file or the bytes and lists the streams.
    MediaOpenResult openStreams();

    // Closes the demuxer and, for bytes in memory, the reading context the
    // demuxer does not own.
    void closeFormat()
    {
        avformat_close_input(&fmt);
        if (memoryIo != nullptr)
        {
            av_freep(&memoryIo->buffer);
            avio_context_free(&memoryIo);
        }
    }

    static int readMemory(void* opaque, uint8_t* buffer, int size)
    {
        Impl* self = static_cast<Impl*>(opaque);
        const size_t left = self->memorySize - std::min(self->memoryPos, self->memorySize);
        const size_t count = std::min(left, static_cast<size_t>(std::max(size, 0)));
        if (count == 0)
            return AVERROR_EOF;
        std::memcpy(buffer, self->memory + self->memoryPos, count);
        self->memoryPos += count;
        return static_cast<int>(count);
    }

    static int64_t seekMemory(void* opaque, int64_t offset, int whence)
    {
        Impl* self = static_cast<Impl*>(opaque);
        const int64_t size = static_cast<int64_t>(self->memorySize);
        int64_t base = 0;
        switch (whence & ~AVSEEK_FORCE)
        {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            break;
        case SEEK_CUR:
            base = static_cast<int64_t>(self->memoryPos);
            break;
        case SEEK_END:
            base = size;
            break;
        default:
            return AVERROR(EINVAL);
        }
        if ((offset > 0 && base > size - offset) || base + offset < 0)
            return AVERROR(EINVAL);
        self->memoryPos = static_cast<size_t>(base + offset);
        return base + offset;
    }

    bool openFormat()
    {
        // Only local files, and only the containers the readers take: a
        // file is never read as a playlist or a list of other files or URLs.
        AVDictionary* opts = nullptr;
        av_dict_set(&opts, "protocol_whitelist", "file", 0);
        av_dict_set(&opts, "format_whitelist", kDemuxers, 0);
        std::string url;
        if (memory != nullptr)
        {
            constexpr int kBufferSize = 1 << 16;
            auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
            memoryPos = 0;
            memoryIo =
                buffer ? avio_alloc_context(buffer, kBufferSize, 0, this, &Impl::readMemory, nullptr, &Impl::seekMemory)
                       : nullptr;
            fmt = memoryIo ? avformat_alloc_context() : nullptr;
            if (fmt == nullptr)
            {
                if (memoryIo != nullptr)
                    av_freep(&memoryIo->buffer);
                else
                    av_free(buffer);
                avio_context_free(&memoryIo);
                av_dict_free(&opts);
                return false;
            }
            fmt->pb = memoryIo;
            fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
        }
        else
            url = "file:" + path;
        // On failure the library frees the context (not a custom reader).
        const int r = avformat_open_input(&fmt, memory != nullptr ? nullptr : url.c_str(), nullptr, &opts);
        av_dict_free(&opts);
        if (r < 0)
        {
            fmt = nullptr;
            closeFormat();
            return false;
        }
        if (avformat_find_stream_info(fmt, nullptr) < 0)
        {
            closeFormat();
            return false;
        }
        return true;
    }

    bool openDecoder()
    {
        st = fmt->streams[audio[chosen].streamIndex];
        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        if (!codec)
            return false;
        dec = avcodec_alloc_context3(codec);
        pkt = av_packet_alloc();
        frame = av_frame_alloc();
        if (!dec || !pkt || !frame)
            return false;
        if (avcodec_parameters_to_context(dec, st->codecpar) < 0)
            return false;
        dec->pkt_timebase = st->time_base;
        if (avcodec_open2(dec, codec, nullptr) < 0)
            return false;
        decBits = dec->bits_per_raw_sample;
        const uint16_t channels = audio[chosen].channels;
        pend.assign(channels, {});
        pendFloat.assign(channels, {});
        return true;
    }

    // Next decoded frame into `frame`: 1 a frame, 0 the stream's end, -1 the
    // file could not be read.
    int nextFrame()
    {
        int demuxErrors = 0;
        int decodeErrors = 0;
        for (;;)
        {
            int r = avcodec_receive_frame(dec, frame);
            if (r == 0)
                return 1;
            if (r == AVERROR_EOF)
                return 0;
            if (r != AVERROR(EAGAIN))
            {
                // A damaged frame: the decoder goes on with the next one. A
                // decoder that only ever answers with errors ends the stream.
                if (++decodeErrors > kMaxDemuxErrorsInRow)
                    return 0;
                continue;
            }
            if (demuxEnd)
                return 0;
            r = av_read_frame(fmt, pkt);
            if (r < 0)
            {
                if (fmt->pb && fmt->pb->error < 0 && fmt->pb->error != AVERROR_EOF)
                    return -1;
                if (r == AVERROR_EOF || (fmt->pb && avio_feof(fmt->pb)) || ++demuxErrors > kMaxDemuxErrorsInRow)
                {
                    avcodec_send_packet(dec, nullptr);
                    demuxEnd = true;
                }
                continue;
            }
            demuxErrors = 0;
            if (pkt->stream_index != st->index)
            {
                av_packet_unref(pkt);
                continue;
            }
            // A packet the decoder rejects as damaged is skipped.
            avcodec_send_packet(dec, pkt);
            av_packet_unref(pkt);
        }
    }

    // Unpacks the decoded frame into one vector per pending channel, planar
    // or interleaved, `convert(in, stride, out, n)` turning n samples of a
    // channel's data (every `stride`-th) into the pending type; channels the
    // frame lacks get zeros. One loop per sample format, so that the
    // compiler can make each a plain copy or a vector loop.
    template <typename In, typename T, typename Convert>
    void unpackFrame(std::vector<std::vector<T>>& pending, int n, int frameChannels, bool planar, Convert convert)
    {
        const size_t count = static_cast<size_t>(std::max(n, 0));
        for (size_t c = 0; c < pending.size(); ++c)
        {
            auto& out = pending[c];
            out.resize(count);
            if (static_cast<int>(c) >= frameChannels || count == 0)
            {
                std::fill(out.begin(), out.end(), T{});
                continue;
            }
            const auto* base = reinterpret_cast<const In*>(planar ? frame->extended_data[c] : frame->extended_data[0]);
            const size_t stride = planar ? 1 : static_cast<size_t>(frameChannels);
            convert(base + (planar ? 0 : c), stride, out.data(), count);
        }
        pendOffset = 0;
        pendCount = count;
    }

    // Converts `frame` into pend (or pendFloat).
    void takeFrame()
    {
        const int n = frame->nb_samples;
        const int frameChannels = frame->ch_layout.nb_channels;
        const auto sf = static_cast<AVSampleFormat>(frame->format);
        const bool planar = av_sample_fmt_is_planar(sf) != 0;
        const AVSampleFormat packed = av_get_packed_sample_fmt(sf);
        floatFrames = packed == AV_SAMPLE_FMT_FLT || packed == AV_SAMPLE_FMT_DBL;
        // Float and double frames go into pendFloat as they are (NaN becomes
        // 0), so that float reads keep samples above full scale; integer
        // frames go into pend left-aligned to 32 bits.
        switch (packed)
        {
        case AV_SAMPLE_FMT_FLT:
            unpackFrame<float>(pendFloat, n, frameChannels, planar,
                               [](const float* in, size_t stride, float* out, size_t count) {
                                   for (size_t i = 0; i < count; ++i)
                                   {
                                       const float v = in[i * stride];
                                       out[i] = v == v ? v : 0.0f;
                                   }
                               });
            break;
        case AV_SAMPLE_FMT_DBL:
            unpackFrame<double>(pendFloat, n, frameChannels, planar,
                                [](const double* in, size_t stride, float* out, size_t count) {
                                    for (size_t i = 0; i < count; ++i)
                                    {
                                        const double v = in[i * stride];
                                        out[i] = v == v ? static_cast<float>(v) : 0.0f;
                                    }
                                });
            break;
        case AV_SAMPLE_FMT_U8:
            unpackFrame<uint8_t>(
                pend, n, frameChannels, planar, [](const uint8_t* in, size_t stride, int32_t* out, size_t count) {
                    for (size_t i = 0; i < count; ++i)
                        out[i] = static_cast<int32_t>(static_cast<uint32_t>(in[i * stride] ^ 0x80u) << 24);
                });
            break;
        case AV_SAMPLE_FMT_S16:
            unpackFrame<int16_t>(
                pend, n, frameChannels, planar, [](const int16_t* in, size_t stride, int32_t* out, size_t count) {
                    for (size_t i = 0; i < count; ++i)
                        out[i] =
                            static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(in[i * stride])) << 16);
                });
            break;
        case AV_SAMPLE_FMT_S32:
            unpackFrame<int32_t>(pend, n, frameChannels, planar,
                                 [](const int32_t* in, size_t stride, int32_t* out, size_t count) {
                                     for (size_t i = 0; i < count; ++i)
                                         out[i] = in[i * stride];
                                 });
            break;
        case AV_SAMPLE_FMT_S64:
            unpackFrame<int64_t>(pend, n, frameChannels, planar,
                                 [](const int64_t* in, size_t stride, int32_t* out, size_t count) {
                                     for (size_t i = 0; i < count; ++i)
                                         out[i] = static_cast<int32_t>(in[i * stride] >> 32);
                                 });
            break;
        default:
            // A format without samples we know: silence of the frame's length.
            floatFrames = false;
            unpackFrame<uint8_t>(pend, n, 0, planar, [](const uint8_t*, size_t, int32_t*, size_t) {});
            break;
        }
    }

    // Copies k pending frames of channel c: integer reads of float frames are
    // scaled by 2^31 and clipped, float reads of integer frames scaled back.
    void copyPending(int32_t* out, size_t c, uint32_t k) const
    {
        if (!floatFrames)
        {
            std::memcpy(out, pend[c].data() + pendOffset, k * sizeof(int32_t));
            return;
        }
        const float* in = pendFloat[c].data() + pendOffset;
        for (uint32_t i = 0; i < k; ++i)
            out[i] = floatToInt32(in[i]);
    }

    void copyPending(float* out, size_t c, uint32_t k) const
    {
        if (floatFrames)
        {
            std::memcpy(out, pendFloat[c].data() + pendOffset, k * sizeof(float));
            return;
        }
        constexpr float kScale = 1.0f / 2147483648.0f;
        const int32_t* in = pend[c].data() + pendOffset;
        for (uint32_t i = 0; i < k; ++i)
            out[i] = static_cast<float>(in[i]) * kScale;
    }

    template <typename Sample>
    uint32_t readInto(Sample* const* channels, uint32_t frames, uint32_t offset);

    int64_t frameTimestamp() const
    {
        return frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    }

    bool coarseTimestamps() const
    {
        const int64_t rate = audio[chosen].sampleRate;
        return static_cast<int64_t>(st->time_base.num) * rate > st->time_base.den;
    }

    // The frame index of a timestamp, relative to the first delivered frame.
    // Where the codec's frames have a fixed length, the index is snapped to
    // the nearest frame start: containers may state packet durations that
    // differ from what the codec decodes, or only to the millisecond.
    int64_t indexOf(int64_t ts) const
    {
        const int64_t rate = audio[chosen].sampleRate;
        const int64_t idx =
            av_rescale_rnd(ts - refPts, static_cast<int64_t>(st->time_base.num) * rate, st->time_base.den,
                           static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
        if (!snapToGrid || grid <= 0 || idx == std::numeric_limits<int64_t>::min() ||
            idx == std::numeric_limits<int64_t>::max())
            return idx;
        // Frame starts are 0 and phase + k * grid.
        const int64_t g = grid;
        const int64_t rel = idx - phase;
        const int64_t k = rel >= 0 ? (rel + g / 2) / g : -((-rel + g / 2 - 1) / g);
        const int64_t snapped = phase + k * g;
        return std::llabs(idx) < std::llabs(idx - snapped) ? 0 : snapped;
    }

    // Samples of timestamp jitter to ignore: timestamps coarser than one
    // sample that are not snapped to a frame grid are only near.
    int64_t timestampTolerance() const
    {
        if (snapToGrid || !coarseTimestamps())
            return 0;
        const int64_t rate = audio[chosen].sampleRate;
        return av_rescale_rnd(st->time_base.num, rate, st->time_base.den, AV_ROUND_UP);
    }

    // Where the decoded `frame` begins on the timeline, given that the block
    // before it ended at `expected`: its timestamp says, so that packets the
    // decoder rejected keep their length (as silence) and seeks, which find
    // their place by timestamps, agree with a straight read. -1 when the frame
    // is no part of the stream (a false frame header in damaged data decoded
    // at another sample rate).
    int64_t frameStart(int64_t expected) const
    {
        if (frame->sample_rate > 0 && frame->sample_rate != static_cast<int>(audio[chosen].sampleRate))
            return -1;
        const int64_t ts = frameTimestamp();
        if (ts == AV_NOPTS_VALUE || refPts == AV_NOPTS_VALUE)
            return expected;
        const int64_t at = indexOf(ts);
        const int64_t gap = at - expected;
        const int64_t maxGap = kMaxGapSeconds * static_cast<int64_t>(audio[chosen].sampleRate);
        if (std::llabs(gap) <= timestampTolerance() || gap > maxGap || at < 0)
            return expected;
        return at;
    }

    // Converts the decoded `frame` into pend and places it after the block
    // that ended at `expected`: a gap before it becomes silence, an overlap
    // with what was delivered is left out. False when nothing of the frame
    // is left to deliver.
    bool placeFrame(uint64_t expected)
    {
        const int64_t start = frameStart(static_cast<int64_t>(expected));
        if (start < 0)
            return false;
        takeFrame();
        pos = expected;
        if (start > static_cast<int64_t>(expected))
        {
            const size_t gap = static_cast<size_t>(start - static_cast<int64_t>(expected));
            for (auto& channel : pend)
                channel.insert(channel.begin(), floatFrames ? 0 : gap, 0);
            for (auto& channel : pendFloat)
                channel.insert(channel.begin(), floatFrames ? gap : 0, 0.0f);
            pendCount += gap;
        }
        else if (start < static_cast<int64_t>(expected))
        {
            const uint64_t overlap = expected - static_cast<uint64_t>(start);
            if (overlap >= pendCount)
            {
                pendOffset = pendCount = 0;
                return false;
            }
            pendOffset = static_cast<size_t>(overlap);
        }
        return true;
    }

    int64_t timestampOf(int64_t index) const
    {
        const int64_t rate = audio[chosen].sampleRate;
        return refPts +
               av_rescale_rnd(index, st->time_base.den, static_cast<int64_t>(st->time_base.num) * rate, AV_ROUND_DOWN);
    }

    void resetReading()
    {
        pendOffset = pendCount = 0;
        eof = failed = demuxEnd = false;
    }

    // Back to the very first frame, in the state the file was opened in:
    // the file is opened afresh, so the encoder delay and priming that the
    // demuxer removes at the start are removed again.
    bool rewind()
    {
        const uint64_t keptLength = len;
        const int64_t keptRefPts = refPts;
        const int keptGrid = grid;
        const int64_t keptPhase = phase;
        const bool keptSnap = snapToGrid;
        closeDecoder();
        len = keptLength;
        refPts = keptRefPts;
        grid = keptGrid;
        phase = keptPhase;
        snapToGrid = keptSnap;
        closeFormat();
        if (!openFormat() || !openDecoder())
            return false;
        resetReading();
        pos = 0;
        return true;
    }

    // Discards decoded frames up to `target`, given that `frame` was just
    // decoded and begins at index `start`. False when the stream ends first.
    bool settleAt(int64_t start, uint64_t target)
    {
        takeFrame();
        pos = static_cast<uint64_t>(std::max<int64_t>(start, 0));
        while (pos + (pendCount - pendOffset) <= target)
        {
            const uint64_t end = pos + (pendCount - pendOffset);
            pos = end;
            pendOffset = pendCount;
            int r;
            while ((r = nextFrame()) > 0 && !placeFrame(end))
            {
            }
            if (r <= 0)
            {
                pos = end;
                failed = r < 0;
                eof = r == 0;
                return false;
            }
        }
        pendOffset += static_cast<size_t>(target - pos);
        pos = target;
        return true;
    }

    // Seeks the demuxer to land before `target` with at least the pre-roll
    // between, and decodes forward to it. False when the landing could not be
    // placed exactly; the caller then decodes from the start.
    bool seekByTimestamp(uint64_t target)
    {
        int64_t back = 2 * preroll;
        for (int attempt = 0; attempt < 5; ++attempt, back *= 4)
        {
            const int64_t want = static_cast<int64_t>(target) - back;
            if (want <= 0)
                return false;
            if (av_seek_frame(fmt, st->index, timestampOf(want), AVSEEK_FLAG_BACKWARD) < 0)
                return false;
            avcodec_flush_buffers(dec);
            resetReading();
            int r;
            int frames = 0;
            while ((r = nextFrame()) > 0 && (frameTimestamp() == AV_NOPTS_VALUE || frameStart(0) < 0) && ++frames < 16)
            {
            }
            if (r <= 0 || frameTimestamp() == AV_NOPTS_VALUE || frameStart(0) < 0)
                return false;
            const int64_t start = indexOf(frameTimestamp());
            if (start < 0 || start + preroll > static_cast<int64_t>(target))
                continue; // landed too late for the decoder to settle: further back
            if (!settleAt(start, target))
                return !failed; // the stream ended before the target: at its end
            return true;
        }
        return false;
    }

    bool seekTo(uint64_t target)
    {
        if (target >= static_cast<uint64_t>(2 * preroll) && seekByTimestamp(target))
            return true;
        if (!rewind())
        {
            failed = true;
            return false;
        }
        if (target == 0)
            return true;
        const int r = nextFrame();
        if (r <= 0)
        {
            failed = r < 0;
            eof = r == 0;
            return r == 0;
        }
        settleAt(0, target);
        return !failed;
    }

    // Decodes the first frame, fixing the timestamp origin and the frame grid.
    bool startStream()
    {
        const int r = nextFrame();
        if (r < 0)
            return false;
        if (r == 0)
        {
            eof = true;
            return true;
        }
        refPts = frameTimestamp();
        grid = dec->frame_size > 0 ? dec->frame_size : frame->nb_samples;
        // Lossy codecs of fixed-length frames: every packet decodes to whole
        // frames, whatever duration the container states for it.
        switch (dec->codec_id)
        {
        case AV_CODEC_ID_MP1:
        case AV_CODEC_ID_MP2:
        case AV_CODEC_ID_MP3:
        case AV_CODEC_ID_AAC:
        case AV_CODEC_ID_WMAV1:
        case AV_CODEC_ID_WMAV2:
            snapToGrid = grid > 0;
            break;
        default:
            snapToGrid = coarseTimestamps() && grid > 0;
            break;
        }
        phase = grid > 0 ? frame->nb_samples % grid : 0;
        const bool mpegAudio =
            dec->codec_id == AV_CODEC_ID_MP1 || dec->codec_id == AV_CODEC_ID_MP2 || dec->codec_id == AV_CODEC_ID_MP3;
        preroll =
            std::max<int64_t>(kMinimumPreroll, (mpegAudio ? kMpegAudioPrerollFrames : 2) * static_cast<int64_t>(grid));
        takeFrame();
        pos = 0;
        return true;
    }

    // Counts frames from the current decoding point to the end; -1 when the
    // file could not be read.
    int64_t countToEnd()
    {
        int64_t n = static_cast<int64_t>(pos + (pendCount - pendOffset));
        pendOffset = pendCount;
        int r;
        while ((r = nextFrame()) > 0)
        {
            const int64_t start = frameStart(n);
            if (start >= 0)
                n = std::max(n, start + frame->nb_samples);
        }
        return r < 0 ? -1 : n;
    }

    // Measures the stream's length exactly: short streams are decoded whole,
    // longer ones from a few seconds before the estimated end. Leaves the
    // stream at frame 0 with its first frame decoded.
    bool measureLength()
    {
        const int64_t rate = audio[chosen].sampleRate;
        int64_t estimate = 0;
        if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
            estimate = av_rescale(fmt->duration, rate, AV_TIME_BASE);
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            estimate =
                std::max(estimate, av_rescale_q(st->duration, st->time_base, AVRational{1, static_cast<int>(rate)}));

        int64_t measured = -1;
        if (!eof && refPts != AV_NOPTS_VALUE && estimate > kWholeDecodeSeconds * rate)
        {
            // A header may state any length, years included: a few tries
            // further back, then the whole decode, which ends with the data.
            int64_t from = estimate - kTailSeconds * rate;
            for (int attempt = 0; attempt < kTailAttempts && from > 2 * preroll && measured < 0;
                 ++attempt, from -= 30 * rate)
            {
                if (seekByTimestamp(static_cast<uint64_t>(from)) && !eof && !failed)
                    measured = countToEnd();
            }
        }
        if (measured < 0)
        {
            if (!rewind())
                return false;
            const int r = nextFrame();
            if (r < 0)
                return false;
            if (r > 0)
            {
                pos = static_cast<uint64_t>(frame->nb_samples);
                pendOffset = pendCount = 0;
                measured = countToEnd();
                if (measured < 0)
                    return false;
            }
            else
                measured = 0;
        }
        // An MP4 edit list states the presented length; the decoder also
        // delivers the encoder's padding after it.
        if (container.rfind("mov", 0) == 0 && st->duration != AV_NOPTS_VALUE && st->duration > 0)
        {
            const int64_t presented = av_rescale_q(st->duration, st->time_base, AVRational{1, static_cast<int>(rate)});
            if (presented > 0 && presented < measured)
                measured = presented;
        }
        len = static_cast<uint64_t>(measured);
        if (!rewind())
            return false;
        const int r = nextFrame();
        if (r < 0)
            return false;
        if (r == 0)
        {
            eof = true;
            len = 0;
            return true;
        }
        takeFrame();
        pos = 0;
        return true;
    }
};

MediaDecoder::MediaDecoder()
    : m(std::make_unique<Impl>())
{
    QuietLibraryLog();
}

MediaDecoder::~MediaDecoder() = default;

MediaOpenResult MediaDecoder::open(const std::string& path)
{
    close();
    m->path = path;
    m->memory = nullptr;
    m->memorySize = 0;
    return m->openStreams();
}

MediaOpenResult MediaDecoder::openMemory(const uint8_t* data, size_t size)
{
    close();
    m->path.clear();
    m->memory = data != nullptr ? data : reinterpret_cast<const uint8_t*>("");
    m->memorySize = data != nullptr ? size : 0;
    return m->openStreams();
}

MediaOpenResult MediaDecoder::Impl::openStreams()
{
    Impl* const m = this;
    if (!m->openFormat())
        return MediaOpenResult::CannotOpen;
    m->container = m->fmt->iformat && m->fmt->iformat->name ? m->fmt->iformat->name : "";
    m->containerBitRate = m->fmt->bit_rate;
    m->fileSize = m->fmt->pb ? std::max<int64_t>(avio_size(m->fmt->pb), 0) : 0;
    for (unsigned i = 0; i < m->fmt->nb_streams; ++i)
    {
        const AVStream* s = m->fmt->streams[i];
        if (s->disposition & AV_DISPOSITION_ATTACHED_PIC)
            continue;
        if (s->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
        {
            ++m->other;
            continue;
        }
        MediaAudioStreamInfo info;
        info.streamIndex = static_cast<int>(i);
        const AVCodecDescriptor* d = avcodec_descriptor_get(s->codecpar->codec_id);
        info.codecName = d && d->name ? d->name : "";
        info.codecLossless = d && (d->props & AV_CODEC_PROP_LOSSLESS) && !(d->props & AV_CODEC_PROP_LOSSY);
        info.sampleRate = s->codecpar->sample_rate > 0 ? static_cast<uint32_t>(s->codecpar->sample_rate) : 0;
        info.channels = static_cast<uint16_t>(std::clamp(s->codecpar->ch_layout.nb_channels, 0, 65535));
        info.bitsPerRawSample = s->codecpar->bits_per_raw_sample;
        info.bitRate = s->codecpar->bit_rate;
        m->audio.push_back(info);
    }
    if (m->audio.empty())
    {
        const MediaOpenResult r = MediaOpenResult::NoAudio;
        m->closeAll();
        return r;
    }
    return MediaOpenResult::Ok;
}

void MediaDecoder::close()
{
    m->closeAll();
}

bool MediaDecoder::isOpen() const
{
    return m->fmt != nullptr;
}

const std::string& MediaDecoder::containerName() const
{
    return m->container;
}

const std::vector<MediaAudioStreamInfo>& MediaDecoder::audioStreams() const
{
    return m->audio;
}

int MediaDecoder::otherStreamCount() const
{
    return m->other;
}

int64_t MediaDecoder::containerBitRate() const
{
    return m->containerBitRate;
}

int64_t MediaDecoder::fileSize() const
{
    return m->fileSize;
}

MediaChooseResult MediaDecoder::chooseAudioStream(size_t index)
{
    m->closeDecoder();
    if (!m->fmt || index >= m->audio.size() || m->audio[index].sampleRate == 0 || m->audio[index].channels == 0)
        return MediaChooseResult::NoDecoder;
    m->chosen = static_cast<int>(index);
    if (!m->openDecoder() || !m->startStream() || !m->measureLength())
    {
        m->closeDecoder();
        m->chosen = -1;
        // The demuxer may have been reopened or left anywhere: start afresh.
        m->closeFormat();
        if (!m->openFormat())
            m->closeAll();
        return MediaChooseResult::NoDecoder;
    }
    return MediaChooseResult::Ok;
}

bool MediaDecoder::hasChosenStream() const
{
    return m->chosen >= 0 && m->dec != nullptr;
}

const MediaAudioStreamInfo& MediaDecoder::chosenStream() const
{
    static const MediaAudioStreamInfo none;
    return m->chosen >= 0 ? m->audio[static_cast<size_t>(m->chosen)] : none;
}

int MediaDecoder::decoderBitsPerRawSample() const
{
    return m->decBits;
}

uint64_t MediaDecoder::length() const
{
    return m->len;
}

uint64_t MediaDecoder::position() const
{
    return m->pos;
}

bool MediaDecoder::seek(uint64_t frame)
{
    if (!hasChosenStream())
        return false;
    frame = std::min(frame, m->len);
    if (frame == m->pos && !m->failed)
        return true;
    // Forward within what is already decoded: no demuxer seek needed.
    if (frame > m->pos && frame - m->pos <= m->pendCount - m->pendOffset && !m->failed)
    {
        m->pendOffset += static_cast<size_t>(frame - m->pos);
        m->pos = frame;
        return true;
    }
    const bool ok = m->seekTo(frame);
    if (m->eof && m->pos < frame)
        m->len = m->pos;
    return ok;
}

template <typename Sample>
uint32_t MediaDecoder::Impl::readInto(Sample* const* channels, uint32_t frames, uint32_t offset)
{
    uint32_t done = 0;
    while (done < frames && pos < len)
    {
        if (pendOffset >= pendCount)
        {
            if (eof || failed)
                break;
            const int r = nextFrame();
            if (r <= 0)
            {
                if (r < 0)
                    failed = true;
                else
                {
                    eof = true;
                    len = pos; // the stream ended before its measured end
                }
                break;
            }
            placeFrame(pos);
            continue;
        }
        const uint64_t k64 = std::min<uint64_t>(
            {static_cast<uint64_t>(frames - done), static_cast<uint64_t>(pendCount - pendOffset), len - pos});
        const uint32_t k = static_cast<uint32_t>(k64);
        for (size_t c = 0; c < pend.size(); ++c)
        {
            if (channels[c])
                copyPending(channels[c] + offset + done, c, k);
        }
        pendOffset += k;
        pos += k;
        done += k;
    }
    return done;
}

uint32_t MediaDecoder::read(int32_t* const* channels, uint32_t frames, uint32_t offset)
{
    return hasChosenStream() ? m->readInto(channels, frames, offset) : 0;
}

uint32_t MediaDecoder::readFloat(float* const* channels, uint32_t frames, uint32_t offset)
{
    return hasChosenStream() ? m->readInto(channels, frames, offset) : 0;
}

bool MediaDecoder::atEnd() const
{
    return m->eof || (hasChosenStream() && m->pos >= m->len);
}

bool MediaDecoder::readFailed() const
{
    return m->failed;
}

std::string MediaDecoder::tag(const std::string& key) const
{
    if (!m->fmt)
        return {};
    const AVDictionary* dicts[2] = {nullptr, m->fmt->metadata};
    if (m->chosen >= 0)
        dicts[0] = m->fmt->streams[m->audio[static_cast<size_t>(m->chosen)].streamIndex]->metadata;
    else if (!m->audio.empty())
        dicts[0] = m->fmt->streams[m->audio[0].streamIndex]->metadata;
    for (const AVDictionary* d : dicts)
    {
        if (!d)
            continue;
        const AVDictionaryEntry* e = av_dict_get(d, key.c_str(), nullptr, 0);
        if (e && e->value)
            return e->value;
    }
    return {};
}

std::vector<uint8_t> MediaDecoder::attachedPicture() const
{
    if (!m->fmt)
        return {};
    for (unsigned i = 0; i < m->fmt->nb_streams; ++i)
    {
        const AVStream* s = m->fmt->streams[i];
        if ((s->disposition & AV_DISPOSITION_ATTACHED_PIC) && s->attached_pic.data && s->attached_pic.size > 0)
            return std::vector<uint8_t>(s->attached_pic.data, s->attached_pic.data + s->attached_pic.size);
    }
    return {};
}

bool MediaDecoder::hasDecoder(const char* name)
{
    return name && avcodec_find_decoder_by_name(name) != nullptr;
}

} // namespace qm::platform
