#pragma once

// The command manager over a real controller, with the user interface's
// services scripted and the program's own strings.

#include "app/commands/CommandManager.h"
#include "app/core/CBJXResource.h"
#include "tests/app/host/HostFixture.h"
#include "tests/support/ScriptedUiServices.h"

namespace qm::test
{
class CommandsFixture : public Host
{
protected:
    CommandsFixture()
    {
        CBJXResource::GetInstance();
        CreateHost();
        commands = Tavrel::CommandManager::GetInstance();
    }
    ~CommandsFixture() override
    {
        Tavrel::CommandManager::Release();
        DestroyHost();
        CBJXResource::Release();
    }

    // Stereo songs of the given names, indexed as the open flow would.
    void Songs(std::initializer_list<const char*> names, double seconds = 0.2)
    {
        for (const char* n : names)
        {
            AddSong(std::string(n) + ".wav", seconds);
            host->tracks.back()->setTextField(n, Tavrel::TrackInfo::kSongName, false);
        }
        host->RebuildNameIndex();
    }

    qm::test::ScriptedUiServices ui;
    Tavrel::CommandManager* commands = nullptr;
};

} // namespace qm::test
