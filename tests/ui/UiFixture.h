#pragma once

// The program's controller, command manager (with the action manager as its
// command target), string table, look-and-feel and images, under the
// language switch, with a window at the screen's top-left corner for the
// component under test. Songs are WAV files made at run time.

#include <gtest/gtest.h>

#include <memory>

#include "app/core/CTVResourceManager.h"
#include "tests/app/commands/ActionManagerFixture.h"
#include "tests/support/LanguageSwitch.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/XInput.h"

namespace qm::test
{
// Made before the controller, so the string table and the look-and-feel are
// those of the language.
struct LanguageFirst
{
    explicit LanguageFirst(const char* locale)
        : language(locale)
    {
    }
    LanguageSwitch language;
};

class UiFixture : public LanguageFirst, public ActionManagerFixture
{
protected:
    explicit UiFixture(const char* locale = LanguageSwitch::kEnglish)
        : LanguageFirst(locale)
    {
        resources = CTVResourceManager::GetInstance();
    }
    ~UiFixture() override
    {
        if (window != nullptr)
            window->removeFromDesktop();
        window.reset();
        CTVResourceManager::Release();
    }

    // Puts the component (owned by the test) into a window of its size.
    void Show(juce::Component& component)
    {
        window = std::make_unique<juce::Component>("TestWindow");
        window->setBounds(0, 0, component.getWidth(), component.getHeight());
        window->addAndMakeVisible(component);
        window->addToDesktop(0);
        window->setVisible(true);
        PumpUntil([&] { return window->isShowing(); }, 5);
        PumpPosted();
    }

    // Songs of a tone with the given names.
    void Named(std::initializer_list<juce::String> names, double seconds = 0.2)
    {
        int i = host->GetTrackCount();
        for (const juce::String& name : names)
        {
            AddSong("n" + std::to_string(i++) + ".wav", seconds);
            host->tracks.back()->setTextField(name, Tavrel::TrackInfo::kSongName, false);
        }
        host->RebuildNameIndex();
        host->NotifySongListChanged();
    }

    CTVResourceManager* resources = nullptr;
    std::unique_ptr<juce::Component> window;
};
} // namespace qm::test
