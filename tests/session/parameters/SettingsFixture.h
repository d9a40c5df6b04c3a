#pragma once

// A parameter set's tests run twice: on a bare set, and with a combo box
// bound to every choice item, the message loop pumped until idle after each
// step. Both must end with the same values. Settings go to a temporary
// XDG_CONFIG_HOME and HOME; the song list is a small fake.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/core/CBJXResource.h"
#include "app/core/CTVPreferences.h"
#include "app/songlist/TrackInfo.h"
#include "session/parameters/ExportParameter.h"
#include "session/parameters/SongListAccess.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace qm::test
{
class SettingsFixture : public ::testing::TestWithParam<bool>
{
protected:
    SettingsFixture()
    {
        CBJXResource::GetInstance();
        CTVPreferences::GetInstance();
        Tavrel::SongListAccess access;
        access.count = [this] { return static_cast<int>(songs.size()); };
        access.track = [this](int row) -> const Tavrel::TrackInfo* {
            return row >= 0 && row < static_cast<int>(songs.size()) ? songs[static_cast<size_t>(row)].get()
                                                                     : nullptr;
        };
        access.selection = [this] { return selection; };
        Tavrel::SongListAccess::install(access);
    }
    ~SettingsFixture() override
    {
        boxes.clear();
        Tavrel::SongListAccess::install({});
        if (CTVPreferences::GetStoredInstance() != nullptr)
            CTVPreferences::Release();
        CBJXResource::Release();
    }

    bool bound() const { return GetParam(); }

    // Binds a combo box to every choice item of a bound run.
    void Bind(Tavrel::ExportParameter& set)
    {
        if (!bound())
            return;
        for (int item = 0; item < set.getItemCount(); ++item)
        {
            if (set.getItemKind(item) != Tavrel::ExportParameter::kItemChoice)
                continue;
            boxes.push_back(std::make_unique<juce::ComboBox>());
            EXPECT_TRUE(set.bindComponent(boxes.back().get(), item));
        }
        Settle();
    }

    // Delivers what the bound boxes posted, and what that posted.
    void Settle()
    {
        if (!bound())
            return;
        for (int i = 0; i < 3; ++i)
            PumpPosted();
    }

    // The settings written to the file and read back, as a new run would.
    void ReopenSettings()
    {
        CTVPreferences::Release();
        CTVPreferences::GetInstance();
    }

    // A song with album and artist texts.
    void AddSong(const juce::String& album, const juce::String& artist)
    {
        auto song = std::make_unique<Tavrel::TrackInfo>();
        song->setTextField(album, Tavrel::TrackInfo::kAlbum, false);
        song->setTextField(artist, Tavrel::TrackInfo::kArtist, false);
        songs.push_back(std::move(song));
    }

    juce::ScopedJuceInitialiser_GUI m_juce;
    TempFolder folder;
    ScopedEnv m_config{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    ScopedEnv m_home{"HOME", (folder.path() / "home").string()};
    std::vector<std::unique_ptr<Tavrel::TrackInfo>> songs;
    juce::SparseSet<int> selection;
    std::vector<std::unique_ptr<juce::ComboBox>> boxes;
};

inline std::string BareOrBound(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "Bound" : "Bare";
}
} // namespace qm::test
