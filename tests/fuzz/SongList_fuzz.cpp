// A song-list file is the user's work and may come from anywhere: the
// document checks, the XML parser and every part of a track element. Each
// list that reads is then saved and read again, and every text of every song
// must come back exactly as it was read.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/songlist/SongListFile.h"
#include "app/songlist/TrackInfo.h"
#include "tests/fuzz/FuzzInputFile.h"

using Tavrel::TrackInfo;

namespace
{
std::vector<std::unique_ptr<TrackInfo>> readList(const juce::File& file)
{
    std::vector<std::unique_ptr<TrackInfo>> records;
    const std::unique_ptr<juce::XmlElement> root = Tavrel::loadSongListDocument(file);
    if (root == nullptr)
        return records;
    for (const auto* child : root->getChildIterator())
    {
        if (child->getTagName() != "Track" || records.size() >= 64)
            continue;
        auto record = std::make_unique<TrackInfo>();
        juce::String error;
        Tavrel::readTrackElement(*record, *child, file.getParentDirectory(), error);
        records.push_back(std::move(record));
    }
    return records;
}

void expectSameTexts(const TrackInfo& read, const TrackInfo& reread)
{
    bool same = read.getPicturePath() == reread.getPicturePath();
    for (int field = 0; field < TrackInfo::kTextFieldCount; ++field)
        same = same && read.getTextField(field) == reread.getTextField(field);
    if (!same)
    {
        std::fprintf(stderr, "picture: [%s] -> [%s]\n", read.getPicturePath().toRawUTF8(),
                     reread.getPicturePath().toRawUTF8());
        for (int field = 0; field < TrackInfo::kTextFieldCount; ++field)
            std::fprintf(stderr, "field %d: [%s] -> [%s]\n", field, read.getTextField(field).toRawUTF8(),
                         reread.getTextField(field).toRawUTF8());
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const qm::fuzz::InputFile input("list.qmpl");
    static const qm::fuzz::InputFile saved(input, "saved.qmpl");
    input.write(data, size);

    const auto records = readList(juce::File(input.path()));
    if (records.empty())
        return 0;
    std::vector<TrackInfo*> list;
    for (const auto& record : records)
        list.push_back(record.get());
    const juce::File savedFile(saved.path());
    if (!Tavrel::writeSongListFile(list, savedFile))
        std::abort();
    const auto reread = readList(savedFile);
    if (reread.size() != records.size())
        std::abort();
    for (size_t i = 0; i < records.size(); ++i)
        expectSameTexts(*records[i], *reread[i]);
    return 0;
}
