#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/io/CAudioFileWriteBase.h"
#include "engine/audiofile/io/CAudioRecorderOutput.h"

// One piece of a song: the song's channels spread over one or more audio
// files made by the writer factory (one file with every channel, or one file
// per group of channels). The piece's marks and metadata go to every file.
class CChannelGroupWrite : public CAudioRecorderOutput
{
public:
    CChannelGroupWrite(const char* formatName, uint32_t sampleRate, uint16_t bitsPerSample, uint32_t formatOption);
    ~CChannelGroupWrite() override;

    // Deletes the files written so far and closes everything.
    void Cancel() override;
    uint32_t GetSampleRate() override;
    uint16_t GetChannelCount() override;
    uint16_t GetBitsPerSample() override;
    bool IsFloat() override;
    // Hands each file its channels of the caller's; returns the smallest
    // count a file accepted, so a file that failed is never hidden by another
    // that did not.
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    uint32_t WriteFloat(float** channels, uint32_t frames) override;
    void UpdateMetaData() override;

    // Creates the files: channels / channelsPerFile of them (at least one),
    // named by MakeTrackFileName. False when a file cannot be created; those
    // already made are deleted then.
    bool Open(const std::u16string& extension, const std::u16string& baseName, uint16_t channels,
              uint16_t channelsPerFile);
    // Creates one more file for the given channel count and appends it.
    bool AddTrackWriter(const std::u16string& path, uint16_t channels);
    // Gives each file the marks (and, unless UpdateMetaData was called, the
    // metadata), finishes and closes it. False when any file failed.
    bool CloseAll();
    // Gives each file the marks and metadata, finishes it and moves it to its
    // name under the new base name; never replaces an existing file. False
    // when any file failed to finish or to move (it then keeps its name).
    // finalPaths receives where each file ended up.
    bool RenameAndClose(const std::u16string& newBaseName, const std::u16string& extension,
                        std::vector<std::u16string>& finalPaths);
    // The frames written into the first file.
    uint64_t GetWrittenFrames();
    // The paths of the open files.
    std::vector<std::u16string> GetFilePaths() const;

    // base + extension for a single file; base + ".trk<index + 1>" +
    // extension when there are two or more. Names are never cut.
    static std::u16string MakeTrackFileName(const std::u16string& baseName, const std::u16string& extension,
                                            int fileCount, int fileIndex);

private:
    template <typename Sample>
    uint32_t WriteGroups(Sample** channels, uint32_t frames, std::vector<Sample*>& scratch);

    std::vector<std::unique_ptr<CAudioFileWriteBase>> m_writers;
    // One entry per channel of all files, for each sample type.
    std::vector<int32_t*> m_scratchInt32;
    std::vector<float*> m_scratchFloat;
    std::string m_formatName;
    uint32_t m_sampleRate;
    uint16_t m_bitsPerSample;
    uint32_t m_formatOption;
    bool m_metaDataUpdated = false;
};
