#include "app/songlist/SongListFile.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "app/core/TextFormatting.h"
#include "app/core/WideText.h"
#include "app/core/XmlSafety.h"
#include "app/songlist/RelativePath.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/foundation/FullWidthToHalfWidth.h"
#include "platform/cd/CdDriveRegistry.h"
#include "platform/files/FileSafety.h"
#include "platform/files/RegularFileRead.h"

namespace Tavrel
{
namespace SongListXml
{
const juce::XmlElement* findChild(const juce::XmlElement& element, juce::StringRef name)
{
    for (const auto* child : element.getChildIterator())
        if (child->getTagName() == name)
            return child;
    return nullptr;
}

juce::String childText(const juce::XmlElement& element, juce::StringRef name, const juce::String& missing)
{
    const auto* child = findChild(element, name);
    return child != nullptr ? child->getAllSubText() : missing;
}

int64_t parseInt64(const juce::String& text)
{
    auto p = text.getCharPointer();
    p.incrementToEndOfWhitespace();
    bool negative = false;
    if (*p == '-' || *p == '+')
    {
        negative = *p == '-';
        ++p;
    }
    // Accumulated as a negative number so that the smallest value fits too.
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    int64_t value = 0;
    bool saturated = false;
    for (juce::juce_wchar c = *p; c >= '0' && c <= '9'; c = *++p)
    {
        const int digit = static_cast<int>(c - '0');
        if (saturated || value < (kMin + digit) / 10)
        {
            saturated = true;
            continue;
        }
        value = value * 10 - digit;
    }
    if (saturated)
        return negative ? kMin : std::numeric_limits<int64_t>::max();
    if (negative)
        return value;
    return value == kMin ? std::numeric_limits<int64_t>::max() : -value;
}

double parseFloat(const juce::String& text)
{
    const std::string narrow = text.replaceCharacter(',', '.').toStdString();
    size_t start = 0;
    while (start < narrow.size() && (narrow[start] == ' ' || (narrow[start] >= '\t' && narrow[start] <= '\r')))
        ++start;
    // from_chars takes no plus sign.
    if (start < narrow.size() && narrow[start] == '+' && start + 1 < narrow.size() && narrow[start + 1] != '-')
        ++start;
    double value = 0.0;
    const auto result =
        std::from_chars(narrow.data() + start, narrow.data() + narrow.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value) || std::fabs(value) > FLT_MAX)
        return 0.0;
    return value;
}

int childInt(const juce::XmlElement& element, juce::StringRef name)
{
    const auto* child = findChild(element, name);
    if (child == nullptr)
        return 0;
    const int64_t value = parseInt64(child->getAllSubText());
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

int64_t childInt64(const juce::XmlElement& element, juce::StringRef name)
{
    const auto* child = findChild(element, name);
    return child != nullptr ? parseInt64(child->getAllSubText()) : 0;
}

double childFloat(const juce::XmlElement& element, juce::StringRef name, double missing)
{
    const auto* child = findChild(element, name);
    return child != nullptr ? parseFloat(child->getAllSubText()) : missing;
}

std::unique_ptr<juce::XmlElement> createValueElement(juce::StringRef name, juce::StringRef type,
                                                     const juce::String& text)
{
    auto element = std::make_unique<juce::XmlElement>(juce::String(name));
    element->setAttribute("type", juce::String(type));
    element->addTextElement(text);
    return element;
}

juce::String formatInt(int64_t value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return juce::String(buffer, static_cast<size_t>(result.ptr - buffer));
}

juce::String formatFixed(double value)
{
    // Room for the longest double in fixed notation.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 6);
    return juce::String(buffer, static_cast<size_t>(result.ptr - buffer));
}

juce::String formatShortest(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, 9);
    return juce::String(buffer, static_cast<size_t>(result.ptr - buffer));
}
} // namespace SongListXml

namespace
{
using namespace SongListXml;

constexpr const char* kRootName = "QuillmarkProject";
// Song lists nest seven levels deep; anything far deeper is not one and would
// only exhaust the parser's stack.
constexpr int kMaxNesting = 64;
// The largest document the XML library can hold (its texts count in 32-bit
// ints). The writer refuses to write anything larger, so whatever it writes
// can be read back.
constexpr uint64_t kMaxDocumentSize = 0x7FFFFFFFu - 1;

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Format names are ASCII; converting them through the locale's case tables
// would turn "AIFF" into something else under a Turkish locale.
juce::String asciiCase(const juce::String& text, bool upper)
{
    std::string narrow = text.toStdString();
    for (char& c : narrow)
    {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return juce::String::fromUTF8(narrow.c_str(), static_cast<int>(narrow.size()));
}

juce::String foldWidth(const juce::String& text)
{
    std::u16string wide = toEngineText(text);
    const uint32_t length = ConvertFullWidthToHalfWidth(wide.c_str(), wide.data(), false);
    wide.resize(length);
    return toJuceString(wide);
}

void addValue(juce::XmlElement& parent, const char* name, const char* type, const juce::String& text)
{
    parent.addChildElement(createValueElement(name, type, text).release());
}

// A text element without a type word.
void addText(juce::XmlElement& parent, const char* name, const juce::String& text)
{
    parent.createNewChildElement(name)->addTextElement(text);
}

juce::XmlElement* addContainer(juce::XmlElement& parent, const char* name)
{
    return parent.createNewChildElement(name);
}

juce::String boolText(bool value)
{
    return value ? "true" : "false";
}

void addPathPair(juce::XmlElement& parent, const juce::String& path, const juce::String& folder)
{
    auto absolute = createValueElement("FilePath", "string", path);
    absolute->setAttribute("option", "absolute");
    parent.addChildElement(absolute.release());
    // The relative form is stored only when it leads back to this very text:
    // a path that is not absolute (kept from a damaged or foreign list) has
    // none, and one with redundant parts ("//", "/./") would come back
    // changed, so the stored text is kept alone.
    juce::String relativeText;
    if (juce::File::isAbsolutePath(path))
    {
        relativeText = makeRelativePath(path, folder);
        if (resolveRelativePath(relativeText, juce::File(folder)) != path)
            relativeText = {};
    }
    auto relative = createValueElement("FilePath", "string", relativeText);
    relative->setAttribute("option", "relative");
    parent.addChildElement(relative.release());
}

std::unique_ptr<juce::XmlElement> fileElement(const CPlaylistFile& file, const juce::String& folder)
{
    auto element = std::make_unique<juce::XmlElement>("File");
    addPathPair(*element, toJuceString(file.GetPath()), folder);
    addValue(*element, "StartSample", "integer", formatInt(file.GetStart()));
    addValue(*element, "StopSample", "integer", formatInt(file.GetEnd()));
    // Stored as a signed 32-bit number with the id's bits.
    addValue(*element, "MediaUniqueID", "integer", formatInt(static_cast<int32_t>(file.GetMediaUniqueId())));
    return element;
}

void addTrackElement(juce::XmlElement& root, const TrackInfo& record, const juce::String& folder)
{
    auto* track = addContainer(root, "Track");
    addValue(*track, "Name", "string", record.text[TrackInfo::kSongName]);

    auto* textData = addContainer(*track, "TextData");
    addValue(*textData, "Title", "string", record.text[TrackInfo::kTitle]);
    addValue(*textData, "Artist", "string", record.text[TrackInfo::kArtist]);
    addValue(*textData, "Album", "string", record.text[TrackInfo::kAlbum]);
    addValue(*textData, "Genre", "string", record.text[TrackInfo::kGenre]);
    addValue(*textData, "Location", "string", record.text[TrackInfo::kLocation]);
    auto* recDate = addContainer(*textData, "RecDate");
    addValue(*recDate, "Year", "string", record.text[TrackInfo::kYear]);
    addValue(*recDate, "Month", "string", record.text[TrackInfo::kMonth]);
    addValue(*recDate, "Day", "string", record.text[TrackInfo::kDay]);
    auto* recTime = addContainer(*textData, "RecTime");
    addValue(*recTime, "Hour", "string", record.text[TrackInfo::kHour]);
    addValue(*recTime, "Minute", "string", record.text[TrackInfo::kMinute]);
    addValue(*recTime, "Second", "string", record.text[TrackInfo::kSecond]);

    auto* dataSpec = addContainer(*track, "DataSpec");
    addValue(*dataSpec, "Bit", "integer", formatInt(record.bitsPerSample));
    addValue(*dataSpec, "SampleRate", "float", formatFixed(record.sampleRate));
    addValue(*dataSpec, "Compressed", "boolean", boolText(record.compressed));
    addValue(*dataSpec, "Lossless", "boolean", boolText(record.lossless));
    addValue(*dataSpec, "Format", "string", asciiCase(record.formatName, false));
    addValue(*dataSpec, "Channels", "integer", formatInt(record.channels));
    auto* time = addContainer(*dataSpec, "Time");
    addValue(*time, "Hour", "integer", formatInt(record.lengthHours));
    addValue(*time, "Minute", "integer", formatInt(record.lengthMinutes));
    addValue(*time, "Second", "float", formatFixed(record.lengthSeconds));

    auto* control = addContainer(*track, "Control");
    addValue(*control, "Gain", "float", formatFixed(record.gain));
    addValue(*control, "Balance", "float", formatFixed(record.balance));
    auto* fadeIn = addContainer(*control, "FadeIn");
    addValue(*fadeIn, "FadeType", "integer", formatInt(record.fadeInType));
    addValue(*fadeIn, "FadeTime", "float", formatFixed(record.fadeInTime));
    auto* fadeOut = addContainer(*control, "FadeOut");
    addValue(*fadeOut, "FadeType", "integer", formatInt(record.fadeOutType));
    addValue(*fadeOut, "FadeTime", "float", formatFixed(record.fadeOutTime));
    addValue(*control, "DCCut", "integer", formatInt(record.dcCut));

    auto* fileInfo = addContainer(*track, "FileInfo");
    const CPlaylistSong& song = *record.song;
    bool everySectionHasOneTrack = song.GetSectionCount() > 0;
    for (int s = 0; s < song.GetSectionCount(); ++s)
    {
        const CPlaylistSection* section = song.GetSection(s);
        auto* sectionElement = addContainer(*fileInfo, "Section");
        everySectionHasOneTrack = everySectionHasOneTrack && section->GetTrackCount() == 1;
        for (int t = 0; t < section->GetTrackCount(); ++t)
        {
            const CPlaylistTrack* songTrack = section->GetTrack(t);
            auto* trackElement = addContainer(*sectionElement, "Track");
            for (int f = 0; f < songTrack->GetFileCount(); ++f)
                trackElement->addChildElement(fileElement(*songTrack->GetFile(f), folder).release());
        }
    }
    // Flat copies of the files when the song is a plain chain of files.
    if (everySectionHasOneTrack)
    {
        for (int s = 0; s < song.GetSectionCount(); ++s)
        {
            const CPlaylistTrack* only = song.GetSection(s)->GetTrack(0);
            for (int f = 0; f < only->GetFileCount(); ++f)
                fileInfo->addChildElement(fileElement(*only->GetFile(f), folder).release());
        }
    }
    auto* picture = addContainer(*fileInfo, "Picture");
    if (record.picturePath.isNotEmpty())
        addPathPair(*picture, record.picturePath, folder);

    auto* marker = addContainer(*track, "Marker");
    for (int i = 0; i < record.markers->GetCount(); ++i)
        addValue(*addContainer(*marker, "Mark"), "Time", "float", formatShortest(record.markers->GetAt(i)));
}

// The element and its children as XML text, laid out as the XML library lays
// out a document (two spaces a level, CR LF between elements, attributes
// wrapped after 60 characters), except that a carriage return inside a text
// is written as a character reference: a raw one would come back as a line
// feed, since XML readers fold CR and CR LF into LF.
void escapeText(juce::MemoryOutputStream& out, const juce::String& text, bool inAttribute)
{
    // XML readers drop a text of nothing but raw blanks and line feeds as
    // layout; as character references it is kept.
    const bool blankOnly = !inAttribute && text.isNotEmpty() && text.containsOnly(" \n");
    for (auto p = text.getCharPointer(); !p.isEmpty();)
    {
        const auto c = static_cast<uint32_t>(p.getAndAdvance());
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           (c < 128 && std::string_view(" .,;:-()_+=?!$#@[]/|*%~{}'\\").find(static_cast<char>(c)) !=
                                           std::string_view::npos);
        if (plain && !(blankOnly && c == ' '))
            out.writeByte(static_cast<char>(c));
        else if (c == '&')
            out << "&amp;";
        else if (c == '"')
            out << "&quot;";
        else if (c == '>')
            out << "&gt;";
        else if (c == '<')
            out << "&lt;";
        else if (c == '\n' && !inAttribute && !blankOnly)
            out.writeByte('\n');
        else
            out << "&#" << static_cast<int>(c) << ';';
    }
}

void writeElement(juce::MemoryOutputStream& out, const juce::XmlElement& element, int indent)
{
    constexpr int kLineWrap = 60;
    out.writeRepeatedByte(' ', static_cast<size_t>(indent));
    out.writeByte('<');
    out << element.getTagName();
    int lineLength = 0;
    for (int i = 0; i < element.getNumAttributes(); ++i)
    {
        if (lineLength > kLineWrap)
        {
            out << "\r\n";
            out.writeRepeatedByte(' ', static_cast<size_t>(indent + element.getTagName().length() + 1));
            lineLength = 0;
        }
        const auto start = out.getPosition();
        out.writeByte(' ');
        out << element.getAttributeName(i) << "=\"";
        escapeText(out, element.getAttributeValue(i), true);
        out.writeByte('"');
        lineLength += static_cast<int>(out.getPosition() - start);
    }
    if (element.getFirstChildElement() == nullptr)
    {
        out << "/>";
        return;
    }
    out.writeByte('>');
    bool lastWasText = false;
    for (const auto* child = element.getFirstChildElement(); child != nullptr; child = child->getNextElement())
    {
        if (child->isTextElement())
        {
            escapeText(out, child->getText(), false);
            lastWasText = true;
            continue;
        }
        if (!lastWasText)
            out << "\r\n";
        writeElement(out, *child, lastWasText ? 0 : indent + 2);
        lastWasText = false;
    }
    if (!lastWasText)
    {
        out << "\r\n";
        out.writeRepeatedByte(' ', static_cast<size_t>(indent));
    }
    out << "</" << element.getTagName() << '>';
}

// Writes the document one song at a time: only one song's elements exist at
// a time, so memory and time grow linearly with the list (an element's child
// list is walked on every append, which made a whole-list tree quadratic).
void writeDocument(juce::MemoryOutputStream& out, const std::vector<TrackInfo*>& tracks, const juce::String& folder)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n";
    out << "<" << kRootName << " version=\"1.0.0.0\">";

    juce::XmlElement properties("ProjectProperties");
    addText(properties, "Creator", "QUILLMARK");
    const juce::Time date = juce::Time::getCurrentTime();
    addText(properties, "SaveDate",
            juce::String(date.getDayOfMonth()) + " " + kMonths[date.getMonth()] + " " + juce::String(date.getYear()));
    addText(properties, "SaveTime",
            juce::String(date.getHours()) + ":" + juce::String(date.getMinutes()).paddedLeft('0', 2) + ":" +
                juce::String(date.getSeconds()).paddedLeft('0', 2));
    out << "\r\n";
    writeElement(out, properties, 2);

    for (const TrackInfo* record : tracks)
    {
        if (record == nullptr)
            continue;
        juce::XmlElement holder("holder");
        addTrackElement(holder, *record, folder);
        out << "\r\n";
        writeElement(out, *holder.getFirstChildElement(), 2);
    }
    out << "\r\n</" << kRootName << ">\r\n";
}

bool writeDocumentText(const juce::MemoryBlock& text, const std::string& target)
{
    // A save that was killed leaves its sibling behind; it goes now.
    qm::platform::removeLeftoverSiblings(target);
    return qm::platform::replaceFile(target, text.getData(), text.getSize()) == qm::platform::ReplaceResult::Ok;
}

bool existsAsAnything(const juce::String& path, bool mayBeDrive)
{
    if (path.isEmpty())
        return false;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::path(path.toStdString()), error))
        return true;
    // Disc images are drives with names that are no file of their own.
    return mayBeDrive && qm::platform::CdDriveRegistry::Instance().IsDrive(path.toStdString());
}

bool existsAsFile(const juce::String& path)
{
    if (path.isEmpty())
        return false;
    std::error_code error;
    const std::filesystem::path p(path.toStdString());
    return std::filesystem::exists(p, error) && !std::filesystem::is_directory(p, error);
}

struct PathCandidates
{
    juce::String relative;
    juce::String absolute;
};

PathCandidates readPathCandidates(const juce::XmlElement& element, const juce::File& folder)
{
    PathCandidates candidates;
    for (const auto* child : element.getChildIterator())
    {
        if (child->getTagName() != "FilePath")
            continue;
        const juce::String option = child->getStringAttribute("option");
        if (option == "relative")
            candidates.relative = resolveRelativePath(child->getAllSubText(), folder);
        else if (option == "absolute")
            candidates.absolute = child->getAllSubText();
    }
    return candidates;
}

// Fills a file segment; false when neither stored path leads to the source.
bool readFileElement(CPlaylistFile& file, const juce::XmlElement& element, const juce::File& folder, bool isCd)
{
    const PathCandidates candidates = readPathCandidates(element, folder);
    bool found = true;
    juce::String path;
    if (existsAsAnything(candidates.relative, isCd))
        path = candidates.relative;
    else if (existsAsAnything(candidates.absolute, isCd))
        path = candidates.absolute;
    else
    {
        // Keep a path that can be fixed later: the relative one, or the
        // absolute one when that is all the entry holds.
        path = candidates.relative.isNotEmpty() ? candidates.relative : candidates.absolute;
        found = false;
    }
    file.SetPath(toEngineText(path));
    file.SetStart(childInt64(element, "StartSample"));
    file.SetEnd(childInt64(element, "StopSample"));
    // Written as a signed 32-bit number; an unsigned text keeps its bits too.
    file.SetMediaUniqueId(static_cast<uint32_t>(static_cast<uint64_t>(childInt64(element, "MediaUniqueID"))));
    return found;
}

void readFileInfo(TrackInfo& record, const juce::XmlElement& fileInfo, const juce::File& folder)
{
    record.song->Clear();
    record.readable = true;
    const bool isCd = record.formatName == "CD";

    auto readFiles = [&](const juce::XmlElement& parent, CPlaylistTrack& track) {
        for (const auto* child : parent.getChildIterator())
            if (child->getTagName() == "File" && !readFileElement(*track.AddFile(), *child, folder, isCd))
                record.readable = false;
    };

    if (findChild(fileInfo, "Section") != nullptr)
    {
        for (const auto* sectionElement : fileInfo.getChildIterator())
        {
            if (sectionElement->getTagName() != "Section")
                continue;
            CPlaylistSection* section = record.song->AddSection();
            for (const auto* trackElement : sectionElement->getChildIterator())
                if (trackElement->getTagName() == "Track")
                    readFiles(*trackElement, *section->AddTrack());
        }
    }
    else
    {
        readFiles(fileInfo, *record.song->AddSection()->AddTrack());
    }
    // A song without a single file has nothing to play.
    std::vector<CPlaylistFile*> files;
    record.getSourceFiles(files);
    if (files.empty())
        record.readable = false;

    if (const auto* picture = findChild(fileInfo, "Picture"))
    {
        const PathCandidates candidates = readPathCandidates(*picture, folder);
        if (candidates.relative.isEmpty() && candidates.absolute.isEmpty())
            record.picturePath = {};
        else if (existsAsFile(candidates.relative))
            record.picturePath = candidates.relative;
        else if (existsAsFile(candidates.absolute))
            record.picturePath = candidates.absolute;
        else
            record.picturePath = candidates.relative.isNotEmpty() ? candidates.relative : candidates.absolute;
        return;
    }

    // Without a picture entry, a first file that can carry a picture is the
    // picture's source.
    const CPlaylistSection* first = record.song->GetSection(0);
    const CPlaylistTrack* firstTrack = first != nullptr ? first->GetTrack(0) : nullptr;
    const CPlaylistFile* firstFile = firstTrack != nullptr ? firstTrack->GetFile(0) : nullptr;
    if (firstFile == nullptr)
        return;
    const juce::String path = toJuceString(firstFile->GetPath());
    const juce::String name = path.fromLastOccurrenceOf("/", false, false);
    if (!name.containsChar('.'))
        return;
    const juce::String extension = name.fromLastOccurrenceOf(".", false, false);
    if (getExtensionsForFileType(true).contains(extension, true))
        record.picturePath = path;
}

} // namespace

bool writeSongListFile(const std::vector<TrackInfo*>& tracks, const juce::File& target)
{
    if (target.getFullPathName().isEmpty())
        return false;
    juce::MemoryOutputStream text;
    writeDocument(text, tracks, target.getParentDirectory().getFullPathName());
    // What the reader would refuse is never written: the old file stays.
    if (text.getDataSize() > kMaxDocumentSize)
        return false;
    return writeDocumentText(text.getMemoryBlock(), target.getFullPathName().toStdString());
}

std::unique_ptr<juce::XmlElement> loadSongListDocument(const juce::File& file)
{
    // Regular files only: a FIFO or a device named as the list would block or
    // never end.
    std::string bytes;
    if (qm::platform::readRegularFile(file.getFullPathName().toStdString(), kMaxDocumentSize, bytes) !=
        qm::platform::RegularFileReadResult::Ok)
        return nullptr;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t size = bytes.size();
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
    {
        data += 3;
        size -= 3;
    }
    if (size == 0 || !qm::isValidUtf8(data, size))
        return nullptr;
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (!qm::hasSafeXmlStructure(raw, kMaxNesting))
        return nullptr;

    juce::XmlDocument document(juce::String::fromUTF8(raw.data(), static_cast<int>(raw.size())));
    // Texts of blanks only (a title of one space, a lone CR) are texts too.
    document.setEmptyTextElementsIgnored(false);
    return document.getDocumentElement();
}

bool readTrackElement(TrackInfo& record, const juce::XmlElement& element, const juce::File& folder,
                      juce::String& errorText)
{
    errorText = {};
    if (element.getTagName() != "Track")
        return false;
    bool complete = true;
    auto fail = [&](const char* message) {
        errorText = message;
        complete = false;
    };

    if (const auto* name = findChild(element, "Name"))
        record.setTextField(name->getAllSubText(), TrackInfo::kSongName, false);
    else
        fail("Track name tag not found.");

    if (const auto* textData = findChild(element, "TextData"))
    {
        record.setTextField(childText(*textData, "Title", {}), TrackInfo::kTitle, false);
        record.setTextField(childText(*textData, "Artist", {}), TrackInfo::kArtist, false);
        record.setTextField(childText(*textData, "Album", {}), TrackInfo::kAlbum, false);
        record.text[TrackInfo::kGenre] = foldWidth(childText(*textData, "Genre", {}));
        record.text[TrackInfo::kLocation] = foldWidth(childText(*textData, "Location", {}));
        // Date and time parts are kept as stored.
        if (const auto* recDate = findChild(*textData, "RecDate"))
        {
            record.text[TrackInfo::kYear] = childText(*recDate, "Year", {});
            record.text[TrackInfo::kMonth] = childText(*recDate, "Month", {});
            record.text[TrackInfo::kDay] = childText(*recDate, "Day", {});
        }
        if (const auto* recTime = findChild(*textData, "RecTime"))
        {
            record.text[TrackInfo::kHour] = childText(*recTime, "Hour", {});
            record.text[TrackInfo::kMinute] = childText(*recTime, "Minute", {});
            record.text[TrackInfo::kSecond] = childText(*recTime, "Second", {});
        }
    }
    else
        fail("Text data tag not found.");

    if (const auto* dataSpec = findChild(element, "DataSpec"))
    {
        record.bitsPerSample = childInt(*dataSpec, "Bit");
        record.sampleRate = static_cast<float>(childFloat(*dataSpec, "SampleRate", 0.0));
        record.compressed = childText(*dataSpec, "Compressed", "false") == "true";
        record.lossless = childText(*dataSpec, "Lossless", "true") == "true";
        record.formatName = asciiCase(childText(*dataSpec, "Format", {}), true);
        record.channels = childInt(*dataSpec, "Channels");
        if (const auto* time = findChild(*dataSpec, "Time"))
        {
            record.lengthHours = childInt(*time, "Hour");
            record.lengthMinutes = childInt(*time, "Minute");
            record.lengthSeconds = static_cast<float>(childFloat(*time, "Second", 0.0));
        }
    }
    else
        fail("Data spec tag not found.");

    // Control values are taken as stored, without the setters' limits.
    if (const auto* control = findChild(element, "Control"))
    {
        record.gain = static_cast<float>(childFloat(*control, "Gain", 0.0));
        record.balance = static_cast<float>(childFloat(*control, "Balance", 0.0));
        if (const auto* fadeIn = findChild(*control, "FadeIn"))
        {
            record.fadeInType = childInt(*fadeIn, "FadeType");
            record.fadeInTime = static_cast<float>(childFloat(*fadeIn, "FadeTime", 0.0));
        }
        if (const auto* fadeOut = findChild(*control, "FadeOut"))
        {
            record.fadeOutType = childInt(*fadeOut, "FadeType");
            record.fadeOutTime = static_cast<float>(childFloat(*fadeOut, "FadeTime", 0.0));
        }
        record.dcCut = childInt(*control, "DCCut");
    }
    else
        fail("Control tag not found.");

    if (const auto* fileInfo = findChild(element, "FileInfo"))
        readFileInfo(record, *fileInfo, folder);
    else
        fail("File info tag not found.");

    if (const auto* marker = findChild(element, "Marker"))
    {
        for (const auto* mark : marker->getChildIterator())
        {
            if (mark->getTagName() != "Mark")
                continue;
            const juce::String time = childText(*mark, "Time", {});
            if (time.isNotEmpty())
                record.markers->Add(parseFloat(time));
        }
    }

    record.dataSpecStale = true;
    return complete;
}
} // namespace Tavrel
