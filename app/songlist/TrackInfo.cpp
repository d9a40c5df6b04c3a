#include "app/songlist/TrackInfo.h"

#include <atomic>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/core/WideText.h"
#include "app/devices/CdDriveList.h"
#include "app/songlist/GainRounding.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "engine/audiofile/foundation/FullWidthToHalfWidth.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CImageFileRead.h"
#include "engine/dsp/dynamics/CDynamicControlParams.h"
#include "platform/cd/CdDriveRegistry.h"

namespace Tavrel
{
namespace
{
constexpr float kMaxFadeSeconds = 10.0f;

// Half away from zero to 0.01, then held within -1..+1. The scaling is done in
// single precision, as the value is held: 0.005f x 100 is exactly 0.5 there
// and so rounds to 0.01.
float roundBalance(float value)
{
    if (std::isnan(value))
        return 0.0f;
    const float scaled = std::clamp(value, -10.0f, 10.0f) * 100.0f;
    const double steps = std::trunc(value > 0.0f ? scaled + 0.5f : scaled - 0.5f);
    // Values just below zero give -0.0: held as plain zero.
    return steps == 0.0 ? 0.0f : std::clamp(float(steps * 0.01), -1.0f, 1.0f);
}

// Nearest 0.1 s (halves up), then held within 0..10 s.
float roundFadeTime(float value)
{
    if (std::isnan(value))
        return 0.0f;
    const float scaled = std::clamp(value, -1000.0f, 1000.0f) * 10.0f;
    const double steps = std::trunc(scaled + 0.5f);
    return steps <= 0.0 ? 0.0f : std::min(float(steps * 0.1), kMaxFadeSeconds);
}

int clampFadeType(int type)
{
    return std::clamp(type, 0, 2);
}

// The text folded from full-width to half-width forms; the song name keeps
// the full-width forms of characters that file names may not hold.
juce::String foldWidth(const juce::String& text, bool songName)
{
    std::u16string wide = toEngineText(text);
    const uint32_t length = ConvertFullWidthToHalfWidth(wide.c_str(), wide.data(), songName);
    wide.resize(length);
    return toJuceString(wide);
}

// A date or time part as the record holds it: its first digits (4 for the
// year, 2 for the others) as a number held within the field's range and
// zero-padded, or blanks when there is no value.
juce::String filterNumber(const juce::String& text, int field)
{
    const bool year = field == TrackInfo::kYear;
    const int maxDigits = year ? 4 : 2;
    int digits = 0;
    int value = 0;
    for (auto p = text.getCharPointer(); !p.isEmpty() && digits < maxDigits; ++p)
    {
        const juce::juce_wchar c = *p;
        if (c >= '0' && c <= '9')
        {
            value = value * 10 + int(c - '0');
            ++digits;
        }
    }
    const juce::String blank = year ? "    " : "  ";
    switch (field)
    {
    case TrackInfo::kYear:
        if (value == 0)
            return blank;
        return juce::String::formatted("%04d", value < 1000 ? value + 2000 : value);
    case TrackInfo::kMonth:
        return value == 0 ? blank : juce::String::formatted("%02d", std::clamp(value, 1, 12));
    case TrackInfo::kDay:
        return value == 0 ? blank : juce::String::formatted("%02d", std::clamp(value, 1, 31));
    case TrackInfo::kHour:
        return digits == 0 ? blank : juce::String::formatted("%02d", std::clamp(value, 0, 23));
    default:
        return digits == 0 ? blank : juce::String::formatted("%02d", std::clamp(value, 0, 59));
    }
}

juce::String metaText(const CAudioMetaData& metaData, int field)
{
    const CMultiString* text = metaData.GetField(field);
    return text != nullptr ? toJuceString(text->GetWide()) : juce::String();
}

void storeMetaText(CAudioMetaData& metaData, int field, const juce::String& text)
{
    if (CMultiString* target = metaData.GetField(field))
    {
        const std::u16string wide = toEngineText(text);
        target->SetWide(-1, wide.c_str());
    }
}

// The path a reader's file segment refers to: an audio-CD reader (also one
// opened through a CD track file) names its drive, whose frames the segment's
// range counts; any other reader the file it opened.
std::u16string readerPath(CAudioFileReadBase& reader)
{
    if (auto* cd = dynamic_cast<CAudioCDRead*>(&reader))
        return cd->GetDriveName();
    return reader.GetPath();
}

bool endsWithPictureExtension(const juce::String& path)
{
    return path.endsWithIgnoreCase(".jpg") || path.endsWithIgnoreCase(".jpeg") || path.endsWithIgnoreCase(".png");
}

// True when a file of a CD song can no longer be opened where it is: the
// drive at its path no longer holds its disc by the drive list, or, for a
// file without a disc identifier, nothing exists at its path.
bool isMissing(const CPlaylistFile& file)
{
    const juce::String path = toJuceString(file.GetPath());
    if (file.GetMediaUniqueId() != 0)
        return !CdDriveList::holdsDisc(path, file.GetMediaUniqueId());
    const std::string narrow = path.toStdString();
    std::error_code error;
    return !std::filesystem::exists(narrow, error) && !qm::platform::CdDriveRegistry::Instance().IsDrive(narrow);
}
} // namespace

namespace
{
std::atomic<int> g_liveRecords{0};
} // namespace

int TrackInfo::getLiveCount()
{
    return g_liveRecords.load();
}

TrackInfo::TrackInfo()
    : song(std::make_unique<CPlaylistSong>()),
      markers(std::make_unique<CMarker>())
{
    ++g_liveRecords;
}

TrackInfo::TrackInfo(CAudioFileReadBase& reader)
    : TrackInfo()
{
    CPlaylistFile* file = song->AddSection()->AddTrack()->AddFile();
    const uint64_t start = reader.GetRangeStart();
    file->SetPath(readerPath(reader));
    file->SetStart(int64_t(start));
    file->SetEnd(int64_t(start + reader.GetLength()));
    // A CD track opens only on its own disc, and is found by it again when the
    // disc moves to another drive.
    file->SetMediaUniqueId(uint32_t(reader.GetDiscId()));

    readable = true;
    bitsPerSample = reader.GetBitsPerSample();
    sampleRate = float(reader.GetSampleRate());
    channels = reader.GetChannelCount();
    reader.GetLengthHourMinSec(&lengthHours, &lengthMinutes, &lengthSeconds);
    compressed = reader.IsCompressed();
    const char* format = reader.GetFormatName();
    formatName = format != nullptr ? juce::String::fromUTF8(format) : juce::String();
    lossless = reader.IsLossless();
    variableBitRate = reader.IsVariableBitRate();
    lengthFrames = reader.GetLength();
    bitRate = int(reader.GetBitRate());
    dataSpecStale = false;

    takeFromReader(reader);
}

TrackInfo::TrackInfo(const TrackInfo& other)
    : TrackInfo()
{
    readable = other.readable;
    bitsPerSample = other.bitsPerSample;
    sampleRate = other.sampleRate;
    channels = other.channels;
    lengthHours = other.lengthHours;
    lengthMinutes = other.lengthMinutes;
    lengthSeconds = other.lengthSeconds;
    compressed = other.compressed;
    formatName = other.formatName;
    song->CopyFrom(*other.song);
    markers->CopyFrom(*other.markers);
    dataSpecStale = other.dataSpecStale;
    lossless = other.lossless;
    variableBitRate = other.variableBitRate;
    lengthFrames = other.lengthFrames;
    bitRate = other.bitRate;
    for (int i = 0; i < kTextFieldCount; ++i)
        text[i] = other.text[i];
    picturePath = other.picturePath;
    gain = other.gain;
    fadeInType = other.fadeInType;
    fadeInTime = other.fadeInTime;
    fadeOutType = other.fadeOutType;
    fadeOutTime = other.fadeOutTime;
    dcCut = other.dcCut;
    balance = other.balance;
}

TrackInfo::~TrackInfo()
{
    --g_liveRecords;
}

template <typename Call>
void TrackInfo::announce(Call call)
{
    // A listener may remove itself or another one while it is told; those
    // removed meanwhile are not told any more.
    const std::vector<TrackInfoListener*> snapshot = listeners;
    for (TrackInfoListener* listener : snapshot)
        if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end())
            call(listener);
}

void TrackInfo::takeFromReader(CAudioFileReadBase& reader)
{
    if (const CMarker* marks = reader.GetMarker())
        markers->CopyFrom(*marks);
    announce([this](TrackInfoListener* l) { l->markersChanged(this, -1); });

    const CAudioMetaData* metaData = reader.GetMetaData();
    if (metaData == nullptr)
        return;
    setTextField(metaText(*metaData, CAudioMetaData::kTitle), kTitle, false);
    setTextField(metaText(*metaData, CAudioMetaData::kArtist), kArtist, false);
    text[kAlbum] = foldWidth(metaText(*metaData, CAudioMetaData::kAlbum), false);
    text[kGenre] = foldWidth(metaText(*metaData, CAudioMetaData::kGenre), false);
    text[kLocation] = foldWidth(metaText(*metaData, CAudioMetaData::kLocation), false);

    // Date "YYYY-MM-DD" and time "HH:MM:SS", taken as the file has them.
    const juce::String date = metaText(*metaData, CAudioMetaData::kDate);
    text[kYear] = date.substring(0, 4);
    text[kMonth] = date.substring(5, 7);
    text[kDay] = date.substring(8, 10);
    const juce::String time = metaText(*metaData, CAudioMetaData::kTime);
    text[kHour] = time.substring(0, 2);
    text[kMinute] = time.substring(3, 5);
    text[kSecond] = time.substring(6, 8);

    picturePath = toJuceString(metaData->GetPicturePath());
}

juce::String TrackInfo::getTextField(int field) const
{
    if (field < 0 || field >= kTextFieldCount)
        return {};
    return text[field];
}

void TrackInfo::setTextField(const juce::String& newText, int field, bool notify)
{
    if (field < 0 || field >= kTextFieldCount)
        return;
    const juce::String before = text[field];
    if (field <= kLocation)
        text[field] = foldWidth(newText, field == kSongName);
    else
        text[field] = filterNumber(newText, field);
    if (notify && text[field] != before)
        announce([this, field](TrackInfoListener* l) { l->textChanged(this, field); });
}

float TrackInfo::getFloatControl(int target) const
{
    switch (target)
    {
    case kGain:
        return gain;
    case kFadeInTime:
        return fadeInTime;
    case kFadeOutTime:
        return fadeOutTime;
    case kBalance:
        return balance;
    default:
        return 0.0f;
    }
}

int TrackInfo::getIntControl(int target) const
{
    switch (target)
    {
    case kFadeInType:
        return fadeInType;
    case kFadeOutType:
        return fadeOutType;
    case kDcCut:
        return dcCut;
    default:
        return 0;
    }
}

void TrackInfo::setFloatControl(int target, float value)
{
    float* stored = nullptr;
    float rounded = 0.0f;
    switch (target)
    {
    case kGain:
        stored = &gain;
        rounded = roundGainDb(value, true);
        break;
    case kFadeInTime:
        stored = &fadeInTime;
        rounded = roundFadeTime(value);
        break;
    case kFadeOutTime:
        stored = &fadeOutTime;
        rounded = roundFadeTime(value);
        break;
    case kBalance:
        stored = &balance;
        rounded = roundBalance(value);
        break;
    default:
        return;
    }
    if (*stored == rounded)
        return;
    *stored = rounded;
    announce([this, target](TrackInfoListener* l) { l->controlChanged(this, target); });
}

void TrackInfo::setIntControl(int target, int value)
{
    int* stored = nullptr;
    int rounded = 0;
    switch (target)
    {
    case kFadeInType:
        stored = &fadeInType;
        rounded = clampFadeType(value);
        break;
    case kFadeOutType:
        stored = &fadeOutType;
        rounded = clampFadeType(value);
        break;
    case kDcCut:
        stored = &dcCut;
        rounded = value > 0 ? 1 : 0;
        break;
    default:
        return;
    }
    if (*stored == rounded)
        return;
    *stored = rounded;
    announce([this, target](TrackInfoListener* l) { l->controlChanged(this, target); });
}

float TrackInfo::getEffectiveGain() const
{
    return normalizeGainValid ? roundGainDb(gain + normalizeGain, false) : gain;
}

double TrackInfo::getLengthInSeconds() const
{
    return (double(lengthHours) * 60.0 + double(lengthMinutes)) * 60.0 + double(lengthSeconds);
}

void TrackInfo::setPicturePath(const juce::String& path)
{
    if (path == picturePath)
        return;
    picturePath = path;
    announce([this](TrackInfoListener* l) { l->pictureChanged(this); });
}

bool TrackInfo::addMarker(double seconds)
{
    if (!markers->Add(seconds))
        return false;
    const int index = markers->FindIndex(seconds);
    announce([this, index](TrackInfoListener* l) { l->markersChanged(this, index); });
    return true;
}

bool TrackInfo::removeMarker(int index)
{
    if (!markers->Remove(index))
        return false;
    announce([this](TrackInfoListener* l) { l->markersChanged(this, -1); });
    return true;
}

int TrackInfo::moveMarker(int index, double seconds)
{
    if (index < 0 || index >= markers->GetCount())
    {
        announce([this, index](TrackInfoListener* l) { l->markersChanged(this, index); });
        return index;
    }
    // A time that is no number moves nothing.
    if (std::isnan(seconds))
        return index;
    const double target = std::max(std::min(seconds, getLengthInSeconds()), 0.0);

    const double old = markers->GetAt(index);
    markers->Remove(index);
    if (!markers->Add(target))
    {
        // Another mark stands in that millisecond: the moved mark stays where
        // it was rather than being lost.
        markers->Add(old);
        return index;
    }
    const int newIndex = markers->FindIndex(target);
    announce([this, newIndex](TrackInfoListener* l) { l->markersChanged(this, newIndex); });
    return newIndex;
}

void TrackInfo::setMarkers(const CMarker& marks)
{
    markers->CopyFrom(marks);
    announce([this](TrackInfoListener* l) { l->markersChanged(this, -1); });
}

void TrackInfo::takeDataSpec(CSongRead& reader)
{
    bitsPerSample = reader.GetBitsPerSample();
    sampleRate = float(reader.GetSampleRate());
    channels = reader.GetChannelCount();
    reader.GetLengthHourMinSec(&lengthHours, &lengthMinutes, &lengthSeconds);
    compressed = reader.IsCompressed();
    formatName = juce::String::fromUTF8(reader.GetFormatName().c_str());
    lossless = reader.IsLossless();
    variableBitRate = reader.IsVariableBitRate();
    lengthFrames = reader.GetLength();
    bitRate = int(reader.GetBitRate());
    // Balance means nothing for anything but two channels.
    if (channels != 2)
    {
        if (balance != 0.0f)
        {
            balance = 0.0f;
            announce([this](TrackInfoListener* l) { l->controlChanged(this, kBalance); });
        }
    }
}

bool TrackInfo::refreshDataSpec(CSongRead& reader, bool* moved, bool notify)
{
    if (moved != nullptr)
        *moved = false;
    // A song without a single file would open as a song of length 0.
    std::vector<CPlaylistFile*> sources;
    getSourceFiles(sources);
    readable = !sources.empty() && reader.Open(song.get());
    if (!readable && formatName == "CD")
    {
        std::vector<CPlaylistFile*> files;
        getSourceFiles(files);
        std::vector<std::u16string> originalPaths;
        for (const CPlaylistFile* file : files)
            originalPaths.push_back(file->GetPath());

        // First by the drive list as it stands, then by a fresh one. A list
        // that is out of date may send the song to a drive its disc has left,
        // so a failed open after a relocation goes on to the fresh list too.
        for (int attempt = 0; attempt < 2 && !readable; ++attempt)
        {
            if (attempt > 0)
                CdDriveList::rebuild();
            if (relocateCdFiles())
                readable = reader.Open(song.get());
        }

        bool changed = false;
        for (size_t i = 0; i < files.size(); ++i)
            changed = changed || files[i]->GetPath() != originalPaths[i];
        if (readable && changed && moved != nullptr)
            *moved = true;
        // A song that could not be found anywhere keeps the paths it had.
        if (!readable && changed)
            for (size_t i = 0; i < files.size(); ++i)
                files[i]->SetPath(originalPaths[i]);
    }
    if (readable)
        takeDataSpec(reader);
    dataSpecStale = false;
    if (notify)
        announce([this](TrackInfoListener* l) { l->dataSpecChanged(this); });
    return readable;
}

bool TrackInfo::isReadable()
{
    CSongRead reader;
    reader.SetStereoOutput();
    return refreshDataSpec(reader, nullptr, true);
}

bool TrackInfo::relocateCdFiles()
{
    // The new paths are collected first and applied only when every missing
    // file was found, so a failed relocation leaves the song as it was.
    std::vector<std::pair<CPlaylistFile*, std::u16string>> moves;
    bool found = true;
    std::vector<CPlaylistFile*> files;
    getSourceFiles(files);
    for (CPlaylistFile* file : files)
    {
        if (!isMissing(*file))
            continue;
        juce::String drive;
        if (!CdDriveList::findDriveForDisc(file->GetMediaUniqueId(), drive))
        {
            found = false;
            break;
        }
        moves.emplace_back(file, toEngineText(drive));
    }
    if (found)
    {
        for (auto& [file, path] : moves)
            file->SetPath(path);
    }
    readable = found;
    announce([this](TrackInfoListener* l) { l->dataSpecChanged(this); });
    return found;
}

void TrackInfo::getSourceFiles(std::vector<CPlaylistFile*>& files) const
{
    files.clear();
    for (int s = 0; s < song->GetSectionCount(); ++s)
    {
        const CPlaylistSection* section = song->GetSection(s);
        for (int t = 0; t < section->GetTrackCount(); ++t)
        {
            const CPlaylistTrack* track = section->GetTrack(t);
            for (int f = 0; f < track->GetFileCount(); ++f)
                files.push_back(track->GetFile(f));
        }
    }
}

MetadataWriteResult TrackInfo::writeMetadata(CAudioMetaData& metaData) const
{
    metaData.Clear();
    const std::pair<int, int> texts[] = {{kTitle, CAudioMetaData::kTitle},
                                         {kArtist, CAudioMetaData::kArtist},
                                         {kAlbum, CAudioMetaData::kAlbum},
                                         {kGenre, CAudioMetaData::kGenre},
                                         {kLocation, CAudioMetaData::kLocation}};
    for (const auto& [field, metaField] : texts)
        if (text[field].isNotEmpty())
            storeMetaText(metaData, metaField, text[field]);

    storeMetaText(metaData, CAudioMetaData::kDate,
                  filterNumber(text[kYear], kYear) + "-" + filterNumber(text[kMonth], kMonth) + "-" +
                      filterNumber(text[kDay], kDay));
    storeMetaText(metaData, CAudioMetaData::kTime,
                  filterNumber(text[kHour], kHour) + ":" + filterNumber(text[kMinute], kMinute) + ":" +
                      filterNumber(text[kSecond], kSecond));

    // The attached picture goes with the texts, so that formats that carry a
    // picture get the one the user chose. A path too long for the record is
    // left out rather than cut (a cut path would name another file), and the
    // caller hears of it.
    if (picturePath.isNotEmpty())
    {
        const std::u16string path = toEngineText(picturePath);
        if (!metaData.SetPicturePath(path.c_str()))
            return MetadataWriteResult::PictureLeftOut;
    }
    return MetadataWriteResult::Written;
}

void TrackInfo::applyControls(CDynamicControlParams& dynamics, bool withNormalizeGain) const
{
    dynamics.SetGain(withNormalizeGain ? getEffectiveGain() : gain);
    dynamics.SetFade(fadeInType, fadeInTime, fadeOutType, fadeOutTime);
    dynamics.SetDcCut(uint32_t(dcCut));
    dynamics.SetPan(balance);
}

uint64_t TrackInfo::getPictureFileSize() const
{
    if (picturePath.isEmpty())
        return 0;
    if (endsWithPictureExtension(picturePath))
    {
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(picturePath.toStdString(), error);
        return error ? 0 : uint64_t(size);
    }
    const std::u16string path = toEngineText(picturePath);
    std::unique_ptr<CImageFileReadBase> reader(CreateImageFileRead(path.c_str()));
    return reader != nullptr ? reader->GetDataSize() : 0;
}

void TrackInfo::addListener(TrackInfoListener* listener)
{
    if (listener != nullptr && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}

void TrackInfo::removeListener(TrackInfoListener* listener)
{
    auto it = std::find(listeners.begin(), listeners.end(), listener);
    if (it != listeners.end())
        listeners.erase(it);
}

bool TrackInfo::hasSameFormat(const TrackInfo* a, const TrackInfo* b)
{
    if (a == nullptr || b == nullptr || !a->readable || !b->readable || b->compressed)
        return false;
    return a->formatName == b->formatName && a->sampleRate == b->sampleRate && a->bitsPerSample == b->bitsPerSample &&
           a->channels == b->channels;
}

bool TrackInfo::CanJoinSeamlessly(const TrackInfo* next, const TrackInfo* previous)
{
    if (next == nullptr || previous == nullptr || previous->compressed)
        return false;
    if (next->formatName != previous->formatName || next->sampleRate != previous->sampleRate ||
        next->bitsPerSample != previous->bitsPerSample || next->channels != previous->channels)
        return false;
    if (next->gain != previous->gain || next->balance != previous->balance)
        return false;
    if (previous->fadeOutType > 0 && previous->fadeOutTime > 0.0f)
        return false;
    if (next->fadeInType > 0 && next->fadeInTime > 0.0f)
        return false;
    return ContinuesSeamlessly(next->song.get(), previous->song.get());
}
} // namespace Tavrel
