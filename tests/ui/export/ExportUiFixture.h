#pragma once

// The export sheet's world: the real export manager (made before the
// controller, as the application makes it), the settings in a temporary
// XDG_CONFIG_HOME and HOME, and a 699 x 533 window standing in for the main
// window.

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "app/core/CTVPreferences.h"
#include "session/manager/ExportManager.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/UiFixture.h"

namespace qm::test
{
struct ExportManagerFirst
{
    ExportManagerFirst() { exports = Tavrel::ExportManager::GetInstance(); }
    ~ExportManagerFirst() { Tavrel::ExportManager::Release(); }
    TempFolder home;
    ScopedEnv homeVariable{"HOME", home.path().string()};
    Tavrel::ExportManager* exports = nullptr;
};

class ExportUiFixture : public ExportManagerFirst, public UiFixture
{
protected:
    explicit ExportUiFixture(const char* locale = LanguageSwitch::kEnglish)
        : UiFixture(locale)
    {
        CTVPreferences::GetInstance();
        main.setSize(699, 533);
        Show(main);
    }
    ~ExportUiFixture() override
    {
        if (window != nullptr)
            window->removeFromDesktop();
        window.reset();
        CTVPreferences::Release();
    }

    // The settings file's bytes (a binary properties file).
    static juce::MemoryBlock SettingsBytes()
    {
        juce::MemoryBlock bytes;
        CHfcPreferences::GetSettingsFile().loadFileAsData(bytes);
        return bytes;
    }
    static bool SettingsHold(const juce::String& name)
    {
        const juce::MemoryBlock bytes = SettingsBytes();
        const std::string_view text(static_cast<const char*>(bytes.getData()), bytes.getSize());
        return text.find(name.toStdString()) != std::string_view::npos;
    }

    // The main window's stand-in.
    juce::Component main{"Main"};
};
} // namespace qm::test
