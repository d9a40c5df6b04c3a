#pragma once

// The action manager over the command manager and a real controller, with a
// plain component as its target and its commands registered.

#include <memory>

#include "app/commands/ActionManager.h"
#include "tests/app/commands/CommandsFixture.h"

namespace qm::test
{
class ActionManagerFixture : public CommandsFixture
{
protected:
    ActionManagerFixture()
    {
        actions = std::make_unique<Tavrel::ActionManager>(&target);
        commands->registerAllCommandsForTarget(actions.get());
        commands->setFirstCommandTarget(actions.get());
    }
    ~ActionManagerFixture() override
    {
        commands->setFirstCommandTarget(nullptr);
        commands->clearCommands();
    }

    static juce::String Text(const char* key) { return CBJXResource::GetString(key); }

    juce::ApplicationCommandInfo Info(juce::CommandID id)
    {
        juce::ApplicationCommandInfo info(id);
        actions->getCommandInfo(id, info);
        return info;
    }
    bool Enabled(juce::CommandID id) { return (Info(id).flags & juce::ApplicationCommandInfo::isDisabled) == 0; }
    // As a menu would invoke it.
    bool Invoke(juce::CommandID id) { return actions->perform(juce::ApplicationCommandTarget::InvocationInfo(id)); }
    // As a key press or release would invoke it.
    bool Key(juce::CommandID id, bool down)
    {
        juce::ApplicationCommandTarget::InvocationInfo info(id);
        info.invocationMethod = juce::ApplicationCommandTarget::InvocationInfo::fromKeyPress;
        info.isKeyDown = down;
        return actions->perform(info);
    }

    juce::Component target;
    std::unique_ptr<Tavrel::ActionManager> actions;
};
} // namespace qm::test
