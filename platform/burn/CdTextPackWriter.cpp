#include "platform/burn/CdTextPackWriter.h"

#include <cstdlib>
#include <string>

#include <libburn/libburn.h>

#include "platform/burn/LibburnLibrary.h"

using namespace burn;

namespace qm::platform
{
namespace
{
constexpr int kTitle = 0x80;
constexpr int kPerformer = 0x81;

// The payload of one text: its bytes and the terminating zero.
std::vector<unsigned char> Payload(const std::string& text)
{
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// Owns the session and the tracks that only serve to generate the packs.
struct PackSession
{
    burn_session* session = nullptr;
    std::vector<burn_track*> tracks;

    ~PackSession()
    {
        if (session != nullptr)
            burn_session_free(session);
        for (burn_track* track : tracks)
            burn_track_free(track);
    }
};

bool SetSessionText(burn_session* session, int type, const std::string& text)
{
    std::vector<unsigned char> payload = Payload(text);
    return burn_session_set_cdtext(session, 0, type, nullptr, payload.data(), int(payload.size()), 0) > 0;
}

bool SetTrackText(burn_track* track, int type, const std::string& text)
{
    std::vector<unsigned char> payload = Payload(text);
    return burn_track_set_cdtext(track, 0, type, nullptr, payload.data(), int(payload.size()), 0) > 0;
}
} // namespace

bool BuildCdTextPacks(const RecorderDisc& disc, std::vector<uint8_t>& packs)
{
    packs.clear();
    bool anyText = !disc.albumTitle.empty() || !disc.albumPerformer.empty();
    for (const auto& track : disc.tracks)
        anyText = anyText || !track.title.empty() || !track.performer.empty();
    if (!anyText || disc.tracks.empty())
        return true;
    // A session holds at most 99 tracks.
    if (disc.tracks.size() > 99)
        return false;

    const libburn::LibraryUse library;
    if (!library.IsHeld())
        return false;
    PackSession owner;
    owner.session = burn_session_create();
    if (owner.session == nullptr)
        return false;
    int charCodes[8] = {0x00, -1, -1, -1, -1, -1, -1, -1};
    int copyrights[8] = {0x00, -1, -1, -1, -1, -1, -1, -1};
    int languages[8] = {0x09, -1, -1, -1, -1, -1, -1, -1};
    if (burn_session_set_cdtext_par(owner.session, charCodes, copyrights, languages, 0) <= 0)
        return false;
    if (!SetSessionText(owner.session, kTitle, disc.albumTitle) ||
        !SetSessionText(owner.session, kPerformer, disc.albumPerformer))
        return false;
    for (size_t i = 0; i < disc.tracks.size(); ++i)
    {
        burn_track* track = burn_track_create();
        if (track == nullptr)
            return false;
        owner.tracks.push_back(track);
        if (!SetTrackText(track, kTitle, disc.tracks[i].title) ||
            !SetTrackText(track, kPerformer, disc.tracks[i].performer))
            return false;
        if (burn_session_add_track(owner.session, track, BURN_POS_END) <= 0)
            return false;
    }

    unsigned char* bytes = nullptr;
    int count = 0;
    if (burn_cdtext_from_session(owner.session, &bytes, &count, 0) <= 0 || bytes == nullptr || count <= 0)
    {
        std::free(bytes);
        return false;
    }
    packs.assign(bytes, bytes + size_t(count) * 18);
    std::free(bytes);
    return true;
}
} // namespace qm::platform
