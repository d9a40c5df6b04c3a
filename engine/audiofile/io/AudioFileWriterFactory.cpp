#include "engine/audiofile/io/AudioFileWriterFactory.h"

#include <memory>

#include "engine/audiofile/aiff/CAiffFileWrite.h"
#include "engine/audiofile/media/CMp3FileWriteAcm.h"
#include "engine/audiofile/media/CWma9_2FileWrite.h"
#include "engine/audiofile/wav/CWavFileWrite.h"

namespace
{
enum class Family
{
    None,
    Wav,
    Aiff,
    Wma,
    Mp3
};

std::string Lower(const char* name)
{
    std::string lower = name != nullptr ? name : "";
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

Family FamilyOf(const char* formatName)
{
    const std::string name = Lower(formatName);
    if (name == "wav" || name == "wave")
        return Family::Wav;
    if (name == "aiff" || name == "aif")
        return Family::Aiff;
    if (name == "wma")
        return Family::Wma;
    if (name == "mp3")
        return Family::Mp3;
    return Family::None;
}
} // namespace

CAudioFileWriteBase* CreateAudioFileWriter(const char16_t* path, const char* formatName, uint32_t sampleRate,
                                           uint16_t bitsPerSample, uint16_t channelCount, uint32_t option)
{
    std::unique_ptr<CAudioFileWriteBase> writer;
    switch (FamilyOf(formatName))
    {
    case Family::Wav:
        writer = std::make_unique<CWavFileWrite>();
        break;
    case Family::Aiff:
        writer = std::make_unique<CAiffFileWrite>();
        break;
    case Family::Wma:
        writer = std::make_unique<CWma9_2FileWrite>();
        break;
    case Family::Mp3:
        writer = std::make_unique<CMp3FileWriteAcm>();
        break;
    case Family::None:
        return nullptr;
    }
    if (writer->Open(path, sampleRate, bitsPerSample, channelCount, option) != WriterOpenResult::Ok)
        return nullptr;
    return writer.release();
}

void GetSupportedSampleRates(const char* formatName, uint16_t channelCount, std::vector<uint32_t>& rates)
{
    rates.clear();
    switch (FamilyOf(formatName))
    {
    case Family::Wav:
    case Family::Aiff:
        rates = {44100, 48000, 88200, 96000, 176400, 192000};
        break;
    case Family::Wma:
        if (channelCount == 1)
            rates = {44100};
        else if (channelCount == 2)
            rates = {44100, 48000};
        break;
    case Family::Mp3:
        rates = {44100, 48000};
        break;
    case Family::None:
        break;
    }
}

void GetSupportedChannelCounts(const char* formatName, std::vector<uint32_t>& counts)
{
    counts.clear();
    if (FamilyOf(formatName) != Family::None)
        counts = {1, 2};
}

void GetSupportedBitDepths(const char* formatName, std::vector<uint32_t>& bits)
{
    bits.clear();
    switch (FamilyOf(formatName))
    {
    case Family::Wav:
        bits = {16, 24, 32};
        break;
    case Family::Aiff:
        bits = {16, 24};
        break;
    case Family::Wma:
        bits = {16};
        break;
    case Family::Mp3:
        bits = {24};
        break;
    case Family::None:
        break;
    }
}

void GetSupportedBitRates(const char* formatName, uint16_t channelCount, uint32_t sampleRate,
                          std::vector<uint32_t>& bitRates)
{
    struct Entry
    {
        Family family;
        uint16_t channels;
        uint32_t rate;
        std::vector<uint32_t> bitRates;
    };
    // The WMA values are the encoder's exact constant bit rates. Its mono
    // 20 kbit/s setting is not offered: the encoder refuses rates below 24 kbit/s.
    static const Entry kTable[] = {
        {Family::Mp3, 1, 44100, {48000, 56000, 64000, 80000, 96000, 112000, 128000}},
        {Family::Mp3, 1, 48000, {64000, 80000, 96000, 112000, 128000}},
        {Family::Mp3, 2, 44100, {96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000}},
        {Family::Mp3, 2, 48000, {112000, 128000, 160000, 192000, 224000, 256000, 320000}},
        {Family::Wma, 1, 44100, {32024, 48024}},
        {Family::Wma, 2, 44100, {31984, 48024, 64024, 80024, 96024, 128016, 160016, 192016, 256016, 320008}},
        {Family::Wma, 2, 48000, {64008, 96000, 128016, 160008, 192000}},
    };
    bitRates.clear();
    const Family family = FamilyOf(formatName);
    for (const Entry& entry : kTable)
        if (entry.family == family && entry.channels == channelCount && entry.rate == sampleRate)
            bitRates = entry.bitRates;
}

bool ExportFormatSupportsPicture(const char* formatName)
{
    const Family family = FamilyOf(formatName);
    return family == Family::Aiff || family == Family::Wma || family == Family::Mp3;
}

std::u16string GetExportFileExtension(const char* formatName)
{
    struct Entry
    {
        const char* name;
        const char16_t* extension;
    };
    static const Entry kTable[] = {
        {"bwf", u".wav"},   {"wav", u".wav"},    {"wave", u".wav"}, {"aiff", u".aif"},
        {"aif", u".aif"},   {"dsdiff", u".dff"}, {"dff", u".dff"},  {"dsf", u".dsf"},
        {"wsd", u".wsd"},   {"flac", u".flac"},  {"wma", u".wma"},  {"wma-l", u".wma"},
        {"wma-p", u".wma"}, {"mp3", u".mp3"},    {"aac", u".m4a"},  {"alac", u".m4a"},
    };
    const std::string name = Lower(formatName);
    for (const Entry& entry : kTable)
        if (name == entry.name)
            return entry.extension;
    return std::u16string();
}
