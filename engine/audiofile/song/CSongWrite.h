#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/io/CAudioRecorderOutput.h"
#include "engine/audiofile/song/CChannelGroupWrite.h"

// The output stream one song is exported into. The song is written as one or
// more pieces (a caller ends a piece with SplitAtMarker(true) and starts the
// next with OpenNextGroupWriter); each piece is a CChannelGroupWrite with one
// file of all channels or one file per group of channels. A song of one piece
// keeps the plain name (base + extension, or base + ".trk<n>" + extension per
// file); every piece of a song of several pieces carries its number, base +
// ".001" and so on. Each piece is written under the plain name and moved to
// its numbered name when it ends. The song's marks are moved into the piece
// they fall in, relative to its start.
class CSongWrite : public CAudioRecorderOutput
{
public:
    CSongWrite(const char* formatName, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channelCount,
               uint16_t channelsPerFile, uint32_t formatOption);
    ~CSongWrite() override;

    // Deletes every file this song writer made (of every piece) and returns
    // to closed.
    void Cancel() override;
    uint32_t GetSampleRate() override;
    uint16_t GetChannelCount() override;
    uint16_t GetBitsPerSample() override;
    bool IsFloat() override;
    bool CanWrite() override;
    // 0 while no piece is open.
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    uint32_t WriteFloat(float** channels, uint32_t frames) override;
    void UpdateMetaData() override;

    // Closes, keeps the names and opens the first piece.
    virtual bool Open(const std::u16string& baseName, const std::u16string& extension);
    // Ends the song: the last piece is finished (and numbered when the song
    // has several). False when any file of the song failed to finish or to
    // move to its numbered name.
    virtual bool Close();
    // Starts the next piece. False when its files cannot be created, or when
    // an earlier piece could not be moved to its numbered name (the next
    // piece would overwrite it under the plain name).
    virtual bool OpenNextGroupWriter();
    // Ends the current piece: its marks, its metadata, its numbered name when
    // numbered is true or it is the second piece or later. False when there
    // is no piece, or a file of it failed to finish or to move.
    virtual bool SplitAtMarker(bool numbered);

    int GetPieceCount() const { return m_pieceCount; }

private:
    void ResetNames();

    std::string m_formatName;
    std::unique_ptr<CChannelGroupWrite> m_piece;
    int m_pieceCount = 0;
    std::u16string m_extension;
    uint32_t m_sampleRate;
    uint16_t m_bitsPerSample;
    uint16_t m_channelCount;
    uint32_t m_formatOption;
    uint16_t m_channelsPerFile;
    double m_pieceStartTime = 0.0;
    bool m_metaDataUpdated = false;
    std::u16string m_baseName;
    // Where the files of the finished pieces are, for Cancel.
    std::vector<std::u16string> m_finishedFiles;
    // A finished piece could not be moved to its numbered name.
    bool m_renameFailed = false;
    bool m_closeFailed = false;
};
