#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::platform
{

// What the media decoding layer says about one audio stream of a file.
struct MediaAudioStreamInfo
{
    int streamIndex = -1;
    std::string codecName;      // the decoder's short name: "mp3", "aac", "alac", "wmav2", ...
    bool codecLossless = false; // the codec keeps every bit of its input
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    int bitsPerRawSample = 0; // the source's sample width when the file says it; 0 unknown
    int64_t bitRate = 0;      // the stream's bit rate as the file states it; 0 unknown
};

// Result of opening a file.
enum class MediaOpenResult
{
    Ok,
    CannotOpen, // missing, unreadable or not a media file the demuxers know
    NoAudio,    // a media file without an audio stream
};

// Result of choosing an audio stream for decoding.
enum class MediaChooseResult
{
    Ok,
    NoDecoder, // no decoder for the codec, or the decoder refused the stream
};

// Opens an audio or media file, lists its streams and decodes one audio
// stream to 32-bit integer samples, one buffer per channel, left-aligned
// (a 16-bit sample 0x1234 becomes 0x12340000; float sources are scaled by
// 2^31 and clipped), at the stream's own sample rate.
//
// Positions count frames from the first sample the decoder delivers after
// the format's encoder delay is removed (MP3 with an encoder info tag, AAC
// priming). Every decoded frame is placed on that timeline by its timestamp;
// for codecs of fixed-length frames (MP3, AAC, WMA) the place is snapped to
// the codec's frame grid, since containers may state packet durations that
// differ from what the codec decodes, or state them only to the millisecond.
// A packet the decoder rejects keeps its length as silence, so a straight
// read, the length measured at open and a seek all agree on damaged files.
// Seeking is sample-exact: it lands before the target with enough pre-roll
// for the decoder to settle, then decodes forward.
//
// One object is used from one thread at a time.
class MediaDecoder
{
public:
    MediaDecoder();
    ~MediaDecoder();

    MediaDecoder(const MediaDecoder&) = delete;
    MediaDecoder& operator=(const MediaDecoder&) = delete;

    // Opens the file (UTF-8 path) and lists its streams; closes first. Only
    // local files in the MP3, ASF, MP4/QuickTime and raw AAC containers open.
    MediaOpenResult open(const std::string& path);
    // The same for bytes in memory, which the caller keeps unchanged until
    // close() or the next open. The containers are the same as for files.
    MediaOpenResult openMemory(const uint8_t* data, size_t size);
    void close();
    bool isOpen() const;

    // The demuxer's short name: "mp3", "asf", "mov,mp4,m4a,3gp,3g2,mj2", "aac", ...
    const std::string& containerName() const;
    // The audio streams in file order.
    const std::vector<MediaAudioStreamInfo>& audioStreams() const;
    // Streams that are neither audio nor an attached picture (video, data, subtitles).
    int otherStreamCount() const;
    // The container's own bit rate (all streams); 0 unknown.
    int64_t containerBitRate() const;
    // The file's size in bytes; 0 unknown.
    int64_t fileSize() const;

    // Opens the decoder for audioStreams()[index], decodes the first frame and
    // measures the length. Any stream chosen before is released.
    MediaChooseResult chooseAudioStream(size_t index);
    bool hasChosenStream() const;
    const MediaAudioStreamInfo& chosenStream() const;

    // The bit depth the decoder reports once open (ALAC gives its stored
    // width there); 0 when it does not say.
    int decoderBitsPerRawSample() const;

    // The stream's length in frames, measured at chooseAudioStream by
    // decoding the last stretch of the stream (short streams: all of it).
    // When reading meets the stream's end earlier, the length becomes that.
    uint64_t length() const;
    // Frame of the next read.
    uint64_t position() const;

    // Moves to the frame (clamped to the length). When the stream ends
    // before it, the position and the length are where it ended. False when
    // the file could not be read again (readFailed is then set).
    bool seek(uint64_t frame);

    // Decodes up to `frames` frames into each non-null channel buffer from
    // `offset` and returns the number delivered; fewer means the stream
    // ended or the file could not be read (see readFailed). Nothing is
    // written past what was delivered.
    uint32_t read(int32_t* const* channels, uint32_t frames, uint32_t offset);
    // The same as float samples (full scale 1.0). A decoder of float samples
    // hands them over as decoded, above full scale included; integer
    // samples are scaled by 2^-31.
    uint32_t readFloat(float* const* channels, uint32_t frames, uint32_t offset);

    // True once reading met the stream's end.
    bool atEnd() const;
    // True when the last read stopped because the file could not be read
    // (an I/O error), as opposed to the stream's end. A damaged packet is
    // read as silence and does not count. Cleared by seek.
    bool readFailed() const;

    // A text tag, looked up in the chosen (or first) audio stream's
    // tags and then in the container's; the key compares case-blind. Empty
    // when missing.
    std::string tag(const std::string& key) const;

    // The bytes of the first attached picture (cover), exactly as stored;
    // empty when there is none.
    std::vector<uint8_t> attachedPicture() const;

    // True when the installed libraries have a decoder of that short name.
    static bool hasDecoder(const char* name);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace qm::platform
