#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "app/core/WideText.h"
#include "app/songlist/RelativePath.h"
#include "app/songlist/SongListFile.h"
#include "app/songlist/TVSLReader.h"
#include "app/songlist/TrackInfo.h"
#include "tests/app/TestResources.h"
#include "tests/support/TempFolder.h"

using Tavrel::TrackInfo;
using Tavrel::TVSLReader;
namespace fs = std::filesystem;
namespace xml = Tavrel::SongListXml;

namespace
{
void touch(const fs::path& path)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

juce::File asFile(const fs::path& path)
{
    return juce::File(juce::String(path.string()));
}

void addFile(CPlaylistTrack& track, const fs::path& path, int64_t start, int64_t end, uint32_t id = 0)
{
    CPlaylistFile* file = track.AddFile();
    file->SetPath(path.u16string());
    file->SetStart(start);
    file->SetEnd(end);
    file->SetMediaUniqueId(id);
}

std::vector<std::unique_ptr<TrackInfo>> readAllRecords(const fs::path& list, juce::String* error = nullptr)
{
    TVSLReader reader(asFile(list));
    std::vector<std::unique_ptr<TrackInfo>> records;
    while (reader.hasNext())
        records.emplace_back(reader.next());
    if (error != nullptr)
        *error = reader.getErrorText();
    return records;
}

// A song-list document with one song whose parts are given as XML text.
std::string documentWithTrack(const std::string& trackBody, const std::string& version = "1.0.0.0")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<QuillmarkProject version=\"" + version + "\"><Track>" +
           trackBody + "</Track></QuillmarkProject>";
}

const std::string kCompleteParts = "<Name>n</Name><TextData/><DataSpec/><Control/><FileInfo/>";

// Reads the one song of a document made from the given parts.
std::unique_ptr<TrackInfo> readSong(const qm::test::TempFolder& folder, const std::string& trackBody)
{
    const fs::path list = folder.file("song.qmpl");
    writeText(list, documentWithTrack(trackBody));
    auto records = readAllRecords(list);
    EXPECT_EQ(records.size(), 1u);
    return records.empty() ? nullptr : std::move(records.front());
}

std::vector<std::u16string> filePaths(const CPlaylistTrack& track)
{
    std::vector<std::u16string> paths;
    for (int i = 0; i < track.GetFileCount(); ++i)
        paths.push_back(track.GetFile(i)->GetPath());
    return paths;
}
} // namespace

TEST(SongListNumbers, ParsingOfStoredNumbers)
{
    const std::vector<std::pair<const char*, int64_t>> integers = {
        {"12", 12},
        {"  -5", -5},
        {"+7", 7},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-9223372036854775808", std::numeric_limits<int64_t>::min()},
        {"99999999999999999999", std::numeric_limits<int64_t>::max()},
        {"-99999999999999999999", std::numeric_limits<int64_t>::min()},
    };
    for (const auto& [text, expected] : integers)
        EXPECT_EQ(xml::parseInt64(text), expected) << text;

    const std::vector<std::pair<const char*, double>> floats = {
        {"0,500000", 0.5}, {"44100.000000", 44100.0},
        {" -3", -3.0},     {"+1.5", 1.5},
        {"2.5x", 2.5},     {"abc", 0.0},
        {"", 0.0},         {"1e400", 0.0},
        {"1e39", 0.0},     {"nan", 0.0},
        {"inf", 0.0},      {"30", 30.0},
    };
    for (const auto& [text, expected] : floats)
        EXPECT_EQ(xml::parseFloat(text), expected) << text;

    // A child integer beyond 32 bits stops at the limit.
    juce::XmlElement parent("P");
    parent.createNewChildElement("Big")->addTextElement("5000000000");
    EXPECT_EQ(xml::childInt(parent, "Big"), std::numeric_limits<int>::max());
    EXPECT_EQ(xml::childInt(parent, "Missing"), 0);
    EXPECT_EQ(xml::childFloat(parent, "Missing", 7.0), 7.0);
    // Element names are case-sensitive.
    EXPECT_EQ(xml::findChild(parent, "big"), nullptr);
}

TEST(SongListNumbers, FormattingIsFixedWhateverTheLocale)
{
    EXPECT_EQ(xml::formatFixed(44100.0), "44100.000000");
    EXPECT_EQ(xml::formatFixed(-0.25), "-0.250000");
    EXPECT_EQ(xml::formatShortest(1.0004), "1.0004");
    EXPECT_EQ(xml::formatShortest(123.456789012), "123.456789");
    EXPECT_EQ(xml::formatShortest(1e-12), "1e-12");
    EXPECT_EQ(xml::formatInt(-1), "-1");
}

TEST(SongListVersion, ParseVersion)
{
    const std::vector<std::pair<const char*, uint32_t>> cases = {
        {"1.0.0.0", 0x01000000u},   {"1.0", 0x01000000u},         {"", 0u},
        {"V1.0.0.0", 0x01000000u},  {"1.0.0.0.9", 0x01000000u},   {"1.0.0.1", 0x01000001u},
        {"2.0", 0x02000000u},       {"1..2", 0x01000200u},        {"0.1.2.3", 0x00010203u},
        {"1.0.0.256", 0x01000100u}, {"99999999999", 0xFFFFFFFFu},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TVSLReader::parseVersion(text), expected) << text;
}

TEST(SongListPaths, RelativePaths)
{
    struct Case
    {
        const char* path;
        const char* folder;
        const char* relative;
    };
    const Case cases[] = {
        {"/music/list/sub/a.wav", "/music/list", "sub/a.wav"},
        {"/music/b.wav", "/music/list", "../b.wav"},
        {"/other/c.wav", "/music/list", "../../other/c.wav"},
        // Parts compare whole and exactly: no shared prefix of a name, no
        // case folding.
        {"/music/listen/d.wav", "/music/list", "../listen/d.wav"},
        {"/Music/list/e.wav", "/music/list", "../../Music/list/e.wav"},
        {"/music//list/./f.wav", "/music/list/", "f.wav"},
        {"relative.wav", "/music/list", "relative.wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Tavrel::makeRelativePath(c.path, c.folder), juce::String(c.relative)) << c.path;

    const juce::File folder("/music/list");
    EXPECT_EQ(Tavrel::resolveRelativePath("../b.wav", folder), "/music/b.wav");
    EXPECT_EQ(Tavrel::resolveRelativePath("/abs/x.wav", folder), "/abs/x.wav");
    EXPECT_EQ(Tavrel::resolveRelativePath("", folder), "");
}

TEST(SongListFile, RecordsComeBackAsTheyWereWritten)
{
    qm::test::TempFolder folder;
    const fs::path a = folder.file("sub/a one.wav");
    const fs::path b = folder.file("sub/b.wav");
    const fs::path left = folder.file("left.aif");
    const fs::path right = folder.file("right.aif");
    const fs::path picture = folder.file("pictures/cover.png");
    for (const auto& path : {a, b, left, right, picture})
        touch(path);

    TrackInfo first;
    first.text[TrackInfo::kSongName] = juce::String::fromUTF8("歌 <&> \"quoted\" 'x'");
    first.text[TrackInfo::kTitle] = juce::String::fromUTF8("タイトル");
    first.text[TrackInfo::kArtist] = "  padded  ";
    first.text[TrackInfo::kAlbum] = "Album";
    first.text[TrackInfo::kGenre] = "Jazz";
    first.text[TrackInfo::kLocation] = "Tokyo\tHall";
    first.text[TrackInfo::kYear] = "2008";
    first.text[TrackInfo::kMonth] = "07";
    first.text[TrackInfo::kDay] = "04";
    first.text[TrackInfo::kHour] = "23";
    first.text[TrackInfo::kMinute] = "07";
    first.text[TrackInfo::kSecond] = "59";
    first.bitsPerSample = 24;
    first.sampleRate = 48000.0f;
    first.channels = 2;
    first.lengthHours = 1;
    first.lengthMinutes = 2;
    first.lengthSeconds = 3.25f;
    first.compressed = false;
    first.lossless = true;
    first.formatName = "WAV";
    first.gain = -12.5f;
    first.balance = -0.33f;
    first.fadeInType = 1;
    first.fadeInTime = 2.5f;
    first.fadeOutType = 2;
    first.fadeOutTime = 10.0f;
    first.dcCut = 1;
    first.picturePath = juce::String(picture.string());
    first.markers->Add(0.5);
    first.markers->Add(61.123456789);
    // A section of one track of two files, then a section of two tracks.
    CPlaylistTrack* chain = first.song->AddSection()->AddTrack();
    addFile(*chain, a, 0, 44100, 0x80000001u);
    addFile(*chain, b, 100, -1);
    CPlaylistSection* pair = first.song->AddSection();
    addFile(*pair->AddTrack(), left, 0, (int64_t{1} << 40) + 3);
    addFile(*pair->AddTrack(), right, 5, 9);

    TrackInfo second;
    second.text[TrackInfo::kSongName] = "Second";
    second.formatName = "AIFF";
    second.compressed = true;
    second.lossless = false;
    addFile(*second.song->AddSection()->AddTrack(), left, 0, -1, 0xFFFFFFFFu);

    const fs::path list = folder.file("list.qmpl");
    ASSERT_TRUE(Tavrel::writeSongListFile({&first, &second}, asFile(list)));

    const std::string text = readAll(list);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<QuillmarkProject version=\"1.0.0.0\">", 0),
              0u);
    EXPECT_NE(text.find("<Creator>QUILLMARK</Creator>"), std::string::npos);
    EXPECT_NE(text.find("<Format type=\"string\">aiff</Format>"), std::string::npos);
    EXPECT_NE(text.find("<SampleRate type=\"float\">48000.000000</SampleRate>"), std::string::npos);
    EXPECT_NE(text.find("<MediaUniqueID type=\"integer\">-2147483647</MediaUniqueID>"), std::string::npos);
    EXPECT_NE(text.find("option=\"relative\">sub/a one.wav<"), std::string::npos);

    juce::String error;
    const auto records = readAllRecords(list, &error);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(error.isEmpty()) << error;
    const TrackInfo& back = *records[0];
    for (int field = 0; field < TrackInfo::kTextFieldCount; ++field)
        EXPECT_EQ(back.text[field], first.text[field]) << field;
    EXPECT_EQ(back.bitsPerSample, 24);
    EXPECT_EQ(back.sampleRate, 48000.0f);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.lengthHours, 1);
    EXPECT_EQ(back.lengthMinutes, 2);
    EXPECT_EQ(back.lengthSeconds, 3.25f);
    EXPECT_FALSE(back.compressed);
    EXPECT_TRUE(back.lossless);
    EXPECT_EQ(back.formatName, "WAV");
    EXPECT_EQ(back.gain, -12.5f);
    EXPECT_EQ(back.balance, -0.33f);
    EXPECT_EQ(back.fadeInType, 1);
    EXPECT_EQ(back.fadeInTime, 2.5f);
    EXPECT_EQ(back.fadeOutType, 2);
    EXPECT_EQ(back.fadeOutTime, 10.0f);
    EXPECT_EQ(back.dcCut, 1);
    EXPECT_EQ(back.picturePath, first.picturePath);
    ASSERT_EQ(back.markers->GetCount(), 2);
    EXPECT_EQ(back.markers->GetAt(0), 0.5);
    EXPECT_NEAR(back.markers->GetAt(1), 61.123456789, 1e-6);
    EXPECT_TRUE(back.readable);
    EXPECT_TRUE(back.dataSpecStale);

    ASSERT_EQ(back.song->GetSectionCount(), 2);
    const CPlaylistSection* s0 = back.song->GetSection(0);
    ASSERT_EQ(s0->GetTrackCount(), 1);
    EXPECT_EQ(filePaths(*s0->GetTrack(0)), (std::vector<std::u16string>{a.u16string(), b.u16string()}));
    EXPECT_EQ(s0->GetTrack(0)->GetFile(0)->GetEnd(), 44100);
    EXPECT_EQ(s0->GetTrack(0)->GetFile(0)->GetMediaUniqueId(), 0x80000001u);
    EXPECT_EQ(s0->GetTrack(0)->GetFile(1)->GetStart(), 100);
    EXPECT_EQ(s0->GetTrack(0)->GetFile(1)->GetEnd(), -1);
    const CPlaylistSection* s1 = back.song->GetSection(1);
    ASSERT_EQ(s1->GetTrackCount(), 2);
    EXPECT_EQ(s1->GetTrack(0)->GetFile(0)->GetEnd(), (int64_t{1} << 40) + 3);
    EXPECT_EQ(filePaths(*s1->GetTrack(1)), std::vector<std::u16string>{right.u16string()});

    const TrackInfo& other = *records[1];
    EXPECT_EQ(other.text[TrackInfo::kSongName], "Second");
    EXPECT_EQ(other.formatName, "AIFF");
    EXPECT_TRUE(other.compressed);
    EXPECT_FALSE(other.lossless);
    EXPECT_EQ(other.song->GetSection(0)->GetTrack(0)->GetFile(0)->GetMediaUniqueId(), 0xFFFFFFFFu);
    // An empty picture entry means no picture, even for a file that may
    // carry one.
    EXPECT_TRUE(other.picturePath.isEmpty());
}

TEST(SongListFile, FlatFileCopiesOnlyForPlainChains)
{
    qm::test::TempFolder folder;
    const fs::path list = folder.file("list.qmpl");
    auto countOf = [](const juce::XmlElement& parent, const char* name) {
        int count = 0;
        for (const auto* child : parent.getChildIterator())
            count += child->getTagName() == name ? 1 : 0;
        return count;
    };
    auto fileInfoOf = [&](TrackInfo& record) {
        EXPECT_TRUE(Tavrel::writeSongListFile({&record}, asFile(list)));
        auto root = juce::parseXML(asFile(list));
        EXPECT_NE(root, nullptr);
        return std::unique_ptr<juce::XmlElement>(
            new juce::XmlElement(*root->getChildByName("Track")->getChildByName("FileInfo")));
    };

    TrackInfo chain;
    CPlaylistTrack* track = chain.song->AddSection()->AddTrack();
    addFile(*track, folder.file("1.wav"), 0, 10);
    addFile(*track, folder.file("2.wav"), 10, 20);
    auto info = fileInfoOf(chain);
    EXPECT_EQ(countOf(*info, "Section"), 1);
    EXPECT_EQ(countOf(*info->getChildByName("Section"), "Track"), 1);
    EXPECT_EQ(countOf(*info->getChildByName("Section")->getChildByName("Track"), "File"), 2);
    EXPECT_EQ(countOf(*info, "File"), 2);
    // The flat copies follow the sections and precede the picture.
    EXPECT_EQ(info->getChildElement(1)->getTagName(), "File");
    EXPECT_EQ(info->getChildElement(3)->getTagName(), "Picture");
    EXPECT_EQ(info->getChildElement(3)->getNumChildElements(), 0);

    TrackInfo parallel;
    CPlaylistSection* section = parallel.song->AddSection();
    addFile(*section->AddTrack(), folder.file("l.wav"), 0, 10);
    addFile(*section->AddTrack(), folder.file("r.wav"), 0, 10);
    info = fileInfoOf(parallel);
    EXPECT_EQ(countOf(*info, "File"), 0);

    TrackInfo empty;
    info = fileInfoOf(empty);
    EXPECT_EQ(countOf(*info, "Section"), 0);
    EXPECT_EQ(countOf(*info, "File"), 0);
    // Read back, a song without sections has one section with one empty track.
    auto records = readAllRecords(list);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0]->song->GetSectionCount(), 1);
    ASSERT_EQ(records[0]->song->GetSection(0)->GetTrackCount(), 1);
    EXPECT_EQ(records[0]->song->GetSection(0)->GetTrack(0)->GetFileCount(), 0);
}

TEST(SongListFile, FlatFilesAreReadOnlyWithoutSections)
{
    qm::test::TempFolder folder;
    const std::string file1 =
        "<File><FilePath option=\"absolute\">/x/1.wav</FilePath><StartSample>1</StartSample></File>";
    const std::string file2 = "<File><FilePath option=\"absolute\">/x/2.wav</FilePath></File>";
    const std::string parts = "<Name>n</Name><TextData/><DataSpec/><Control/>";

    auto flatOnly = readSong(folder, parts + "<FileInfo>" + file1 + file2 + "</FileInfo>");
    ASSERT_EQ(flatOnly->song->GetSectionCount(), 1);
    ASSERT_EQ(flatOnly->song->GetSection(0)->GetTrackCount(), 1);
    const CPlaylistTrack& track = *flatOnly->song->GetSection(0)->GetTrack(0);
    EXPECT_EQ(filePaths(track), (std::vector<std::u16string>{u"/x/1.wav", u"/x/2.wav"}));
    EXPECT_EQ(track.GetFile(0)->GetStart(), 1);
    EXPECT_EQ(track.GetFile(1)->GetEnd(), 0); // a missing StopSample reads as 0
    EXPECT_FALSE(flatOnly->readable);

    // With a section present the flat copies are ignored.
    auto withSection = readSong(folder, parts + "<FileInfo><Section><Track>" + file2 + "</Track></Section>" + file1 +
                                            file2 + "</FileInfo>");
    ASSERT_EQ(withSection->song->GetSectionCount(), 1);
    EXPECT_EQ(filePaths(*withSection->song->GetSection(0)->GetTrack(0)), std::vector<std::u16string>{u"/x/2.wav"});
}

TEST(SongListFile, ValuesReadAsStoredWithTheirDefaults)
{
    qm::test::TempFolder folder;
    const std::string rest = "<Name>n</Name><TextData/><FileInfo/>";

    auto defaults = readSong(folder, rest + "<DataSpec><Format>wav</Format></DataSpec><Control/>");
    EXPECT_TRUE(defaults->lossless);
    EXPECT_FALSE(defaults->compressed);
    EXPECT_EQ(defaults->formatName, "WAV");

    auto stated = readSong(folder, rest + "<DataSpec><Compressed>True</Compressed><Lossless>false</Lossless>"
                                          "<Time><Second>0,500000</Second></Time></DataSpec>"
                                          "<Control><Gain>30.0</Gain><Balance>5.0</Balance>"
                                          "<FadeIn><FadeTime>99</FadeTime></FadeIn><DCCut>7</DCCut></Control>");
    EXPECT_FALSE(stated->compressed);
    EXPECT_FALSE(stated->lossless);
    EXPECT_EQ(stated->lengthSeconds, 0.5f);
    // Control values are not limited on the way in.
    EXPECT_EQ(stated->gain, 30.0f);
    EXPECT_EQ(stated->balance, 5.0f);
    EXPECT_EQ(stated->fadeInTime, 99.0f);
    EXPECT_EQ(stated->dcCut, 7);

    // Genre and location are folded from full-width forms; date parts are
    // kept unfiltered.
    auto texts = readSong(folder, "<Name>n</Name><DataSpec/><Control/><FileInfo/><TextData>"
                                  "<Genre>\xEF\xBC\xAA\xEF\xBD\x81zz</Genre><RecDate><Year>19x9</Year></RecDate>"
                                  "</TextData>");
    EXPECT_EQ(texts->text[TrackInfo::kGenre], "Jazz");
    EXPECT_EQ(texts->text[TrackInfo::kYear], "19x9");
}

TEST(SongListFile, MarksSkipEmptyTimesAndRepeatsOfAMillisecond)
{
    qm::test::TempFolder folder;
    auto record =
        readSong(folder, kCompleteParts + "<Marker><Mark><Time>2,5</Time></Mark><Mark><Time></Time></Mark><Mark/>"
                                          "<Mark><Time>1.0</Time></Mark><Mark><Time>1.0004</Time></Mark></Marker>");
    ASSERT_EQ(record->markers->GetCount(), 2);
    EXPECT_EQ(record->markers->GetAt(0), 1.0);
    EXPECT_EQ(record->markers->GetAt(1), 2.5);
}

TEST(SongListFile, MissingPartsAreReportedAndTheRestIsRead)
{
    qm::test::TempFolder folder;
    const std::vector<std::pair<std::string, const char*>> parts = {
        {"<Name>song</Name>", "Track name tag not found."},
        {"<TextData><Title>t</Title></TextData>", "Text data tag not found."},
        {"<DataSpec/>", "Data spec tag not found."},
        {"<Control/>", "Control tag not found."},
        {"<FileInfo/>", "File info tag not found."},
    };
    for (size_t left = 0; left < parts.size(); ++left)
    {
        std::string body;
        for (size_t i = 0; i < parts.size(); ++i)
            if (i != left)
                body += parts[i].first;
        body += "<Marker><Mark><Time>1</Time></Mark></Marker>";

        auto document = juce::parseXML(documentWithTrack(body));
        ASSERT_NE(document, nullptr);
        TrackInfo record;
        juce::String error = "old";
        EXPECT_FALSE(Tavrel::readTrackElement(record, *document->getChildElement(0), asFile(folder.path()), error));
        EXPECT_EQ(error, parts[left].second);
        // What was there is read all the same.
        EXPECT_EQ(record.markers->GetCount(), 1) << parts[left].second;
    }

    // Two missing parts: the message of the later one.
    auto document = juce::parseXML(documentWithTrack("<Name>n</Name><DataSpec/><FileInfo/>"));
    TrackInfo record;
    juce::String error;
    EXPECT_FALSE(Tavrel::readTrackElement(record, *document->getChildElement(0), asFile(folder.path()), error));
    EXPECT_EQ(error, "Control tag not found.");

    juce::XmlElement notATrack("Song");
    EXPECT_FALSE(Tavrel::readTrackElement(record, notATrack, asFile(folder.path()), error));
    EXPECT_TRUE(error.isEmpty());
}

TEST(SongListFile, SourcesAreFoundFromAnotherFolder)
{
    qm::test::TempFolder folder;
    const fs::path a = folder.file("A");
    const fs::path source = a / "sub" / "song.mp3";
    touch(source);
    TrackInfo record;
    addFile(*record.song->AddSection()->AddTrack(), source, 0, -1);
    ASSERT_TRUE(Tavrel::writeSongListFile({&record}, asFile(a / "list.qmpl")));
    EXPECT_NE(readAll(a / "list.qmpl").find("option=\"relative\">sub/song.mp3<"), std::string::npos);

    // Moved to B with its sources: the relative path is tried first.
    const fs::path b = folder.file("B");
    fs::create_directories(b);
    fs::copy_file(a / "list.qmpl", b / "list.qmpl");
    touch(b / "sub" / "song.mp3");
    auto records = readAllRecords(b / "list.qmpl");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(filePaths(*records[0]->song->GetSection(0)->GetTrack(0))[0], (b / "sub" / "song.mp3").u16string());
    EXPECT_TRUE(records[0]->readable);
    // No picture entry was written with a path, so the MP3 is not taken as
    // the picture (an empty Picture element means none).
    EXPECT_TRUE(records[0]->picturePath.isEmpty());

    // Without the sources beside it, the absolute path is used.
    fs::remove_all(b / "sub");
    records = readAllRecords(b / "list.qmpl");
    EXPECT_EQ(filePaths(*records[0]->song->GetSection(0)->GetTrack(0))[0], source.u16string());
    EXPECT_TRUE(records[0]->readable);

    // Found nowhere: the resolved relative path stays and the song is not
    // readable, but still there.
    fs::remove_all(a / "sub");
    records = readAllRecords(b / "list.qmpl");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(filePaths(*records[0]->song->GetSection(0)->GetTrack(0))[0], (b / "sub" / "song.mp3").u16string());
    EXPECT_FALSE(records[0]->readable);
}

TEST(SongListFile, PictureCandidatesAndTheFallbackToTheFirstFile)
{
    qm::test::TempFolder folder;
    const std::string parts = "<Name>n</Name><TextData/><DataSpec/><Control/>";
    const std::string mp3 = "<File><FilePath option=\"absolute\">/x/song.MP3</FilePath></File>";

    // No picture entry: a first file that can carry a picture is the source.
    auto fromFile = readSong(folder, parts + "<FileInfo>" + mp3 + "</FileInfo>");
    EXPECT_EQ(fromFile->picturePath, "/x/song.MP3");
    auto wav = readSong(
        folder, parts + "<FileInfo><File><FilePath option=\"absolute\">/x/song.wav</FilePath></File></FileInfo>");
    EXPECT_TRUE(wav->picturePath.isEmpty());

    // Both candidates missing: the resolved relative one is kept.
    auto missing = readSong(folder, parts + "<FileInfo>" + mp3 +
                                        "<Picture><FilePath option=\"absolute\">/nowhere/p.png</FilePath>"
                                        "<FilePath option=\"relative\">pics/p.png</FilePath></Picture></FileInfo>");
    EXPECT_EQ(missing->picturePath, juce::String((folder.path() / "pics/p.png").string()));

    // A folder is no picture: the absolute candidate that is a file wins.
    fs::create_directories(folder.file("pics/p.png"));
    touch(folder.file("real.png"));
    auto folderFirst = readSong(folder, parts +
                                            "<FileInfo><Picture><FilePath option=\"relative\">pics/p.png</FilePath>"
                                            "<FilePath option=\"absolute\">" +
                                            folder.file("real.png").string() + "</FilePath></Picture></FileInfo>");
    EXPECT_EQ(folderFirst->picturePath, juce::String(folder.file("real.png").string()));

    // Only an absolute path stored, and it is missing: it is kept, not lost.
    EXPECT_EQ(toJuceString(fromFile->song->GetSection(0)->GetTrack(0)->GetFile(0)->GetPath()), "/x/song.MP3");
    EXPECT_FALSE(fromFile->readable);
}

TEST(SongListFile, DocumentChecks)
{
    qm::test::TestResources resources({qm::test::TestResources::StringTable(
        {{"Songlist_Invalid", "Invalid list."}, {"Songlist_NewerVersion", "Newer list.##Update."}})});
    qm::test::TempFolder folder;
    const std::string track = "<Track>" + kCompleteParts + "</Track>";
    auto root = [&](const std::string& attributes, const std::string& name = "n") {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<QuillmarkProject" + attributes + "><Track><Name>" + name +
               "</Name><TextData/><DataSpec/><Control/><FileInfo/></Track></QuillmarkProject>";
    };
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";

    struct Case
    {
        std::string name;
        std::string text;
        const char* error; // null: the song is read
    };
    const std::vector<Case> cases = {
        {"current", root(" version=\"1.0.0.0\""), nullptr},
        {"short", root(" version=\"1.0\""), nullptr},
        {"no version", root(""), nullptr},
        {"letter", root(" version=\"V1.0.0.0\""), nullptr},
        {"fifth field", root(" version=\"1.0.0.0.9\""), nullptr},
        {"newer build", root(" version=\"1.0.0.1\""), "Newer list.\nUpdate."},
        {"newer major", root(" version=\"2.0\""), "Newer list.\nUpdate."},
        {"other root", "<OtherProject version=\"1.0.0.0\">" + track + "</OtherProject>", "Invalid list."},
        {"root case", "<quillmarkproject>" + track + "</quillmarkproject>", "Invalid list."},
        {"empty", "", "Invalid list."},
        {"not xml", "this is not a song list", "Invalid list."},
        {"truncated", root("").substr(0, 80), "Invalid list."},
        {"deep nesting", "<QuillmarkProject>" + deep, "Invalid list."},
        {"entity definitions",
         "<?xml version=\"1.0\"?><!DOCTYPE QuillmarkProject [<!ENTITY a \"<Track>&a;</Track>\">]>"
         "<QuillmarkProject>&a;</QuillmarkProject>",
         "Invalid list."},
        {"character reference", root("", "&#x41;&#12354;"), nullptr},
        {"bad utf-8", root("", "\xC3\x28"), "Invalid list."},
        {"bad character reference", root("", "&#x110000;"), "Invalid list."},
        {"null character reference", root("", "&#0;"), "Invalid list."},
        // The XML library loops for ever on a processing instruction among an
        // element's texts.
        {"processing instruction in an element", "<QuillmarkProject><?a?>b</QuillmarkProject>", "Invalid list."},
        {"processing instruction in the prolog", "<?other x?>" + root(""), nullptr},
        // A malformed tag is read by the library otherwise than by any simple
        // scan; here a stray quote hides a processing instruction, on which
        // the library then grows its element list without end.
        {"processing instruction behind a stray quote", "<?n=\"n?>\n<Qul><Fag\">\n><?x?>=\"</ct>\n", "Invalid list."},
        {"attribute without a value", "<QuillmarkProject version><Track/></QuillmarkProject>", "Invalid list."},
        {"single-quoted attribute", root(" version='1.0.0.0'"), nullptr},
        // An overlong NUL would cut the name short and name another file.
        {"overlong nul", root("", "nul\xC0\x80x.wav"), "Invalid list."},
    };
    for (const auto& c : cases)
    {
        const fs::path list = folder.file("list.qmpl");
        writeText(list, c.text);
        juce::String error;
        const auto records = readAllRecords(list, &error);
        if (c.error == nullptr)
        {
            EXPECT_EQ(records.size(), 1u) << c.name;
            EXPECT_TRUE(error.isEmpty()) << c.name;
        }
        else
        {
            EXPECT_TRUE(records.empty()) << c.name;
            EXPECT_EQ(error, juce::String(c.error)) << c.name;
        }
    }

    juce::String error;
    EXPECT_TRUE(readAllRecords(folder.file("missing.qmpl"), &error).empty());
    EXPECT_EQ(error, "Invalid list.");
}

TEST(SongListFile, ReaderGoesThroughTheSongsInOrder)
{
    qm::test::TempFolder folder;
    const fs::path list = folder.file("list.qmpl");
    writeText(list, "<QuillmarkProject><ProjectProperties/><Track>" + kCompleteParts +
                        "</Track><Other/><Track>"
                        "<Name>second</Name><TextData/><Control/><FileInfo/></Track><Track>" +
                        kCompleteParts + "</Track></QuillmarkProject>");
    TVSLReader reader(asFile(list));
    std::vector<double> progress;
    std::vector<juce::String> errors;
    while (reader.hasNext())
    {
        progress.push_back(reader.getProgress());
        std::unique_ptr<TrackInfo> record(reader.next());
        ASSERT_NE(record, nullptr);
        errors.push_back(reader.getErrorText());
    }
    EXPECT_EQ(progress, (std::vector<double>{0.0, 1.0 / 3.0, 2.0 / 3.0}));
    EXPECT_EQ(errors, (std::vector<juce::String>{"", "Data spec tag not found.", ""}));
    EXPECT_EQ(reader.getProgress(), 1.0);
    EXPECT_EQ(reader.next(), nullptr);
}

TEST(SongListFile, FailedWritesLeaveTheOldFile)
{
    qm::test::TempFolder folder;
    TrackInfo record;
    record.text[TrackInfo::kSongName] = "new";
    auto siblings = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };

    // A read-only target is refused and stays as it was.
    const fs::path readOnly = folder.file("locked.qmpl");
    writeText(readOnly, "old");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(Tavrel::writeSongListFile({&record}, asFile(readOnly)));
    EXPECT_EQ(readAll(readOnly), "old");

    // A target that cannot be replaced: the new text is thrown away.
    const fs::path folderTarget = folder.file("taken.qmpl");
    fs::create_directories(folderTarget);
    EXPECT_FALSE(Tavrel::writeSongListFile({&record}, asFile(folderTarget)));
    EXPECT_TRUE(fs::is_directory(folderTarget));

    EXPECT_FALSE(Tavrel::writeSongListFile({&record}, asFile(folder.file("no/such/folder/list.qmpl"))));
    EXPECT_EQ(siblings(), (std::vector<std::string>{"locked.qmpl", "taken.qmpl"}));

    // A writable one is replaced whole, keeping its permissions.
    const fs::path target = folder.file("list.qmpl");
    writeText(target, "old");
    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(Tavrel::writeSongListFile({&record}, asFile(target)));
    EXPECT_NE(readAll(target).find("<Name type=\"string\">new</Name>"), std::string::npos);
    struct stat info = {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(siblings(), (std::vector<std::string>{"list.qmpl", "locked.qmpl", "taken.qmpl"}));
}

TEST(SongListFile, OnlyRegularFilesAreRead)
{
    qm::test::TestResources resources({qm::test::TestResources::StringTable({{"Songlist_Invalid", "Invalid list."}})});
    qm::test::TempFolder folder;
    const fs::path fifo = folder.file("fifo.qmpl");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path zero = folder.file("zero.qmpl");
    fs::create_symlink("/dev/zero", zero);
    const fs::path subfolder = folder.file("folder.qmpl");
    fs::create_directories(subfolder);
    // Each would block or never end if it were read like a file.
    for (const auto& path : {fifo, zero, subfolder})
    {
        juce::String error;
        EXPECT_TRUE(readAllRecords(path, &error).empty()) << path;
        EXPECT_EQ(error, "Invalid list.") << path;
    }
}

TEST(SongListFile, EveryTextRoundTripsExactly)
{
    qm::test::TempFolder folder;
    const fs::path source = folder.file("a.wav");
    touch(source);
    const std::vector<std::string> texts = {
        "a\rb", "a\r\nb", "\r", "\r\n", "tab\there", "& < > \" '", " ", "  lead and trail  ", "\n", "x\x7fy",
    };
    const int fields[] = {TrackInfo::kSongName, TrackInfo::kTitle,  TrackInfo::kArtist, TrackInfo::kAlbum,
                          TrackInfo::kYear,     TrackInfo::kMonth,  TrackInfo::kDay,    TrackInfo::kHour,
                          TrackInfo::kMinute,   TrackInfo::kSecond, TrackInfo::kGenre,  TrackInfo::kLocation};
    for (const auto& text : texts)
    {
        TrackInfo record;
        for (const int field : fields)
            record.text[field] = juce::String::fromUTF8(text.c_str());
        addFile(*record.song->AddSection()->AddTrack(), source, 0, -1);
        const fs::path list = folder.file("texts.qmpl");
        ASSERT_TRUE(Tavrel::writeSongListFile({&record}, asFile(list)));
        const auto back = readAllRecords(list);
        ASSERT_EQ(back.size(), 1u);
        for (const int field : fields)
            EXPECT_EQ(back[0]->text[field].toStdString(), text) << "field " << field;
    }
}

// A path that is not absolute (from a damaged or foreign list), or one with
// redundant parts, is kept as the text it was, save after save, and never
// read against the list's folder.
TEST(SongListFile, PathsRoundTripAsTheyStand)
{
    qm::test::TempFolder folder;
    const fs::path source = folder.file("a.wav");
    touch(source);
    for (const juce::String picture : {"music/cover.jpg", "C:\\Music\\cover.jpg", "//music/./cover.jpg"})
    {
        TrackInfo record;
        addFile(*record.song->AddSection()->AddTrack(), source, 0, -1);
        record.picturePath = picture;
        const fs::path list = folder.file("paths.qmpl");
        ASSERT_TRUE(Tavrel::writeSongListFile({&record}, asFile(list)));
        auto back = readAllRecords(list);
        ASSERT_EQ(back.size(), 1u);
        ASSERT_TRUE(Tavrel::writeSongListFile({back[0].get()}, asFile(list)));
        back = readAllRecords(list);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0]->picturePath, picture);
    }
}

TEST(SongListFile, ASongWithoutFilesIsNotReadable)
{
    qm::test::TempFolder folder;
    auto record = readSong(folder, kCompleteParts);
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->readable);
    EXPECT_FALSE(record->isReadable());
}

TEST(SongListFile, LeftoversOfAKilledSaveAreRemovedAtTheNextSave)
{
    qm::test::TempFolder folder;
    const fs::path list = folder.file("list.qmpl");
    const std::vector<std::string> leftovers = {"list.qmpl.1f.tmp", "list.qmpl.0123456789abcdef.tmp"};
    // Names that only look alike are someone else's.
    const std::vector<std::string> kept = {"list.qmpl.tmp",     "list.qmpl.xyz.tmp", "list.qmpl.0123456789abcdef0.tmp",
                                           "other.qmpl.1f.tmp", "list.qmpl.1F.tmp",  "list.qmpl.1f.tmp.bak"};
    for (const auto& name : leftovers)
        writeText(folder.file(name), "old");
    for (const auto& name : kept)
        writeText(folder.file(name), "keep");
    fs::create_directories(folder.file("list.qmpl.2e.tmp")); // a folder is never removed

    TrackInfo record;
    ASSERT_TRUE(Tavrel::writeSongListFile({&record}, asFile(list)));
    for (const auto& name : leftovers)
        EXPECT_FALSE(fs::exists(folder.file(name))) << name;
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(folder.file(name))) << name;
    EXPECT_TRUE(fs::is_directory(folder.file("list.qmpl.2e.tmp")));
}
