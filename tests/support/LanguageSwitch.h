#pragma once

// Runs part of a GUI test in one language: sets LANG ("ja_JP.UTF-8" or
// "C.UTF-8", LC_ALL and LC_MESSAGES cleared), makes the string table and the
// program's look-and-feel for it (the default look-and-feel while it lives),
// and puts everything back at the end. It must be the only holder of both:
// a test that holds either already fails.

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/core/CBJXResource.h"
#include "platform/resources/ResourceModule.h"
#include "resources/EmbeddedResources.h"
#include "ui/look/CTVLookAndFeel.h"

namespace qm::test
{
class LanguageSwitch
{
public:
    static constexpr const char* kEnglish = "C.UTF-8";
    static constexpr const char* kJapanese = "ja_JP.UTF-8";

    explicit LanguageSwitch(const char* locale)
    {
        for (const char* variable : {"LANG", "LC_ALL", "LC_MESSAGES"})
        {
            const char* value = std::getenv(variable);
            m_saved.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        }
        EXPECT_EQ(CBJXResource::GetStoredInstance(), nullptr) << "a string table exists already";
        EXPECT_EQ(CTVLookAndFeel::GetStoredInstance(), nullptr) << "a look-and-feel exists already";
        setenv("LANG", locale, 1);
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        // The built-in resources settle their language once per process: the
        // switch puts the same files in the language asked for in their place.
        std::vector<qm::platform::ResourceFile> files;
        for (const auto& file : qm::resources::EmbeddedFiles())
            files.push_back({file.fileName, file.data, static_cast<std::size_t>(std::max(file.size, 0))});
        m_module = std::make_unique<qm::platform::ResourceModule>(std::move(files), qm::platform::UserLanguage());
        CBJXResource::SetModule(m_module.get());
        m_resources = CBJXResource::GetInstance();
        m_lookAndFeel = CTVLookAndFeel::GetInstance();
        juce::LookAndFeel::setDefaultLookAndFeel(m_lookAndFeel);
    }
    ~LanguageSwitch()
    {
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
        CTVLookAndFeel::Release();
        CBJXResource::Release();
        CBJXResource::SetModule(nullptr);
        juce::LocalisedStrings::setCurrentMappings(nullptr);
        const char* variables[] = {"LANG", "LC_ALL", "LC_MESSAGES"};
        for (size_t i = 0; i < m_saved.size(); ++i)
        {
            if (m_saved[i].has_value())
                setenv(variables[i], m_saved[i]->c_str(), 1);
            else
                unsetenv(variables[i]);
        }
    }
    LanguageSwitch(const LanguageSwitch&) = delete;
    LanguageSwitch& operator=(const LanguageSwitch&) = delete;

    bool isJapanese() const { return m_lookAndFeel != nullptr && m_lookAndFeel->isJapanese(); }
    CTVLookAndFeel& lookAndFeel() const { return *m_lookAndFeel; }

private:
    std::vector<std::optional<std::string>> m_saved;
    std::unique_ptr<qm::platform::ResourceModule> m_module;
    CBJXResource* m_resources = nullptr;
    CTVLookAndFeel* m_lookAndFeel = nullptr;
};
} // namespace qm::test
