#include "engine/audiofile/media/CMp3FileWriteAcm.h"

#include <algorithm>
#include <cstdio>

#include "engine/audiofile/tags/CID3v2_3Create.h"

CMp3FileWriteAcm::CMp3FileWriteAcm()
{
    ResetFormat();
}

CMp3FileWriteAcm::~CMp3FileWriteAcm()
{
    Close();
}

void CMp3FileWriteAcm::ResetFormat()
{
    m_sampleRate = 44100;
    m_channels = 2;
    m_bitsPerSample = 16;
    m_stagingFill = 0;
    m_framesWritten = 0;
    m_audioStart = -1;
    m_encodedDataWritten = false;
    m_failed = false;
}

WriterOpenResult CMp3FileWriteAcm::Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample,
                                        uint16_t channelCount, uint32_t option)
{
    Close();
    const uint32_t bitRate = option == 0 ? kDefaultBitRate : option;
    if (bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32)
        return WriterOpenResult::CannotCreate;
    if (!m_encoder.open(sampleRate, channelCount, bitRate))
        return WriterOpenResult::CannotCreate;
    if (CBinaryFile64::Open(path) < 0)
    {
        m_encoder.close();
        return WriterOpenResult::CannotCreate;
    }
    m_sampleRate = sampleRate;
    m_channels = channelCount;
    m_bitsPerSample = bitsPerSample;
    for (uint16_t c = 0; c < 2; ++c)
        m_staging[c].assign(c < channelCount ? kBlockFrames : 0, 0);
    return WriterOpenResult::Ok;
}

bool CMp3FileWriteAcm::WriteEncoded()
{
    if (m_encoded.empty())
        return true;
    if (m_audioStart < 0)
        m_audioStart = Tell();
    m_encodedDataWritten = true;
    const uint32_t size = static_cast<uint32_t>(m_encoded.size());
    const bool ok = Write(m_encoded.data(), size) == size;
    m_encoded.clear();
    return ok;
}

bool CMp3FileWriteAcm::EncodeStaged()
{
    const int32_t* channels[2] = {m_staging[0].data(), m_channels == 2 ? m_staging[1].data() : nullptr};
    m_encoded.clear();
    const bool encoded = m_encoder.encode(channels, m_stagingFill, m_encoded);
    m_stagingFill = 0;
    if (!encoded || !WriteEncoded())
        m_failed = true;
    return !m_failed;
}

uint32_t CMp3FileWriteAcm::WriteInt32(int32_t** channels, uint32_t frames)
{
    if (!IsOpen() || !m_encoder.isOpen() || m_failed || channels == nullptr)
        return 0;
    for (uint16_t c = 0; c < m_channels; ++c)
        if (channels[c] == nullptr)
            return 0;
    uint32_t accepted = 0; // frames of this call in blocks already encoded and written
    uint32_t done = 0;
    while (done < frames)
    {
        const uint32_t count = std::min(frames - done, kBlockFrames - m_stagingFill);
        for (uint16_t c = 0; c < m_channels; ++c)
            std::copy(channels[c] + done, channels[c] + done + count, m_staging[c].begin() + m_stagingFill);
        m_stagingFill += count;
        done += count;
        if (m_stagingFill == kBlockFrames)
        {
            if (!EncodeStaged())
                break;
            accepted = done;
        }
    }
    if (!m_failed)
        accepted = done;
    m_framesWritten += accepted;
    return accepted;
}

uint32_t CMp3FileWriteAcm::WriteFloat(float** channels, uint32_t frames)
{
    return WriteFloatAsInt32(channels, frames);
}

void CMp3FileWriteAcm::UpdateMetaData()
{
    if (!IsOpen() || m_encodedDataWritten)
        return;
    CID3v2_3Create tag;
    tag.CreateId3v2Tag(m_metaData);
    // An empty tag (the header alone) is not written.
    if (tag.GetSize() > 10 && Write(tag.GetData(), tag.GetSize()) != tag.GetSize())
        m_failed = true;
    m_encodedDataWritten = true;
}

bool CMp3FileWriteAcm::Close()
{
    if (!IsOpen())
    {
        m_encoder.close();
        ResetFormat();
        return true;
    }
    bool ok = !m_failed;
    if (ok && m_encoder.isOpen())
    {
        ok = EncodeStaged();
        m_encoded.clear();
        ok = ok && m_encoder.flush(m_encoded) && WriteEncoded();
        // The info frame states the length, delay and padding; it takes the
        // place of the first frame that the encoder left for it.
        std::vector<uint8_t> info;
        if (ok && m_audioStart >= 0 && m_encoder.infoFrame(info))
        {
            const int64_t end = Tell();
            ok = Seek(m_audioStart, SEEK_SET) == m_audioStart &&
                 Write(info.data(), static_cast<uint32_t>(info.size())) == info.size() && Seek(end, SEEK_SET) == end;
        }
    }
    m_encoder.close();
    ok = CBinaryFile64::Close() == 0 && ok;
    for (auto& staging : m_staging)
        staging.clear();
    m_encoded.clear();
    ResetFormat();
    return ok;
}

const char* CMp3FileWriteAcm::GetFormatName()
{
    return "MP3";
}

uint64_t CMp3FileWriteAcm::GetWrittenFrames()
{
    return m_framesWritten;
}

uint32_t CMp3FileWriteAcm::GetSampleRate()
{
    return m_sampleRate;
}

uint16_t CMp3FileWriteAcm::GetChannelCount()
{
    return m_channels;
}

uint16_t CMp3FileWriteAcm::GetBitsPerSample()
{
    return m_bitsPerSample;
}

bool IsMp3EncoderAvailable()
{
    const CMp3FileWriteAcm writer;
    return writer.IsEncoderAvailable();
}

void SimulateMp3EncoderMissing(bool missing)
{
    qm::platform::Mp3Encoder::simulateUnavailable(missing);
}
