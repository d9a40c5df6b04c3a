#pragma once

#include <cstdint>

// A minimal AIFF header as fields ("FORM"/"AIFF", "COMM", "SSND"), shared by
// the AIFF readers and writer. All integers are big-endian in the file; the
// sample rate is an 80-bit IEEE extended number.
class CAiffFormat
{
public:
    static constexpr uint32_t kHeaderSize = 54;

    CAiffFormat();
    virtual ~CAiffFormat();

    // Back to the defaults: an empty 16-bit stereo 44100 Hz header.
    void ResetAiffFormat();

    // The whole-hertz rate of an 80-bit extended number: 0 unless the sign is
    // positive and the exponent lies in 0x4000..0x401C.
    static uint32_t ExtendedToRate(const uint8_t* extended);
    // The 80-bit extended form of a rate (ten zero bytes for 0).
    static void RateToExtended(uint32_t rate, uint8_t* extended);

    char m_formId[4];
    uint32_t m_formSize;
    char m_formType[4];
    char m_commId[4];
    uint32_t m_commSize;
    uint16_t m_channelCount;
    uint32_t m_sampleFrames;
    uint16_t m_sampleSize;
    uint8_t m_sampleRate[10];
    char m_ssndId[4];
    uint32_t m_ssndSize;
    uint32_t m_ssndOffset;
    uint32_t m_ssndBlockSize;
};
