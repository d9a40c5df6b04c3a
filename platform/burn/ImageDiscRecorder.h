#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/burn/DiscRecorder.h"

namespace qm::platform
{
// How an image target presents itself.
struct ImageRecorderOptions
{
    bool rewritable = false; // a CD-RW (erasable) instead of a CD-R
    RecorderWriteModes modes{true, true, true, true};
};

// A disc recorder that writes a CUE/BIN disc image instead of a disc. The
// target's name is a path without extension; a written "disc" is NAME.bin
// (raw 2352-byte audio sectors, little-endian), NAME.cue and, with CD-TEXT,
// NAME.cdt (headerless packs, named by the cue sheet's CDTEXTFILE line), the
// form the CD reading layer opens as a drive. While NAME.cue and NAME.bin do
// not exist the target holds a blank disc; a written CD-R stays written, a
// CD-RW can be blanked (the files are deleted). Files are written under
// temporary names and renamed at the end, so a failed or cancelled write
// leaves the disc blank.
class ImageDiscRecorder final : public DiscRecorder
{
public:
    // An 80-minute disc.
    static constexpr uint64_t kCapacitySectors = 360000;
    // The write speeds (KB/s) of the target: 4x, 8x, 16x, 24x, 40x.
    static const std::vector<uint32_t>& Speeds();

    ImageDiscRecorder(std::string name, const ImageRecorderOptions& options);
    ~ImageDiscRecorder() override;

    const std::string& GetName() const override { return m_name; }
    bool ReadDiscInfo(RecorderDiscInfo& info) override;
    uint32_t GetMaxWriteSpeed() override;
    uint32_t GetCurrentWriteSpeed() override { return m_writeSpeed; }
    bool SetSpeeds(uint32_t readKBps, uint32_t writeKBps) override;
    bool ProbeWriteModes(RecorderWriteModes& modes) override;
    uint32_t WriteDisc(RecorderWriteMethod method, const RecorderDisc& disc, RecorderProgressListener* listener,
                       const std::atomic<bool>& cancel) override;
    uint32_t WriteTrack(const RecorderTrack& track, RecorderProgressListener* listener,
                        const std::atomic<bool>& cancel) override;
    uint32_t CloseSession() override;
    uint32_t Blank(bool quick, const std::atomic<bool>& cancel) override;
    bool Eject() override { return true; }

    // True when `name` can name a target: its file name part is not empty and
    // holds no quote or control character (it goes into the cue sheet).
    static bool IsUsableName(const std::string& name);

private:
    struct WrittenTrack
    {
        uint64_t startSector = 0; // of the pregap
        uint32_t pregapSectors = 0;
    };

    bool IsBlank() const;
    std::filesystem::path File(const char* extension) const;
    std::filesystem::path PartFile(const char* extension) const;
    // Appends the pregap and the track's samples to the open part file.
    uint32_t AppendTrack(const RecorderTrack& track, uint64_t totalBytes, uint64_t& writtenBytes,
                         RecorderProgressListener* listener, const std::atomic<bool>& cancel);
    // Writes the cue sheet (and the pack file) and renames the part files.
    uint32_t Finish(const std::vector<uint8_t>& cdTextPacks);
    void Abandon();

    std::string m_name;
    ImageRecorderOptions m_options;
    uint32_t m_writeSpeed;
    int m_binFd = -1; // the open part file while a session is open
    uint64_t m_sectorsWritten = 0;
    std::vector<WrittenTrack> m_tracks;
};
} // namespace qm::platform
