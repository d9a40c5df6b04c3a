#include "platform/resources/ResourceModule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using qm::platform::ResourceModule;

namespace
{
const char kEn[] = "en", kJa[] = "ja", kFr[] = "fr", kPng[] = "png";

std::string Found(const ResourceModule& module, const char* name, const char* type)
{
    const void* data = nullptr;
    std::size_t size = 0;
    if (!module.Find(name, type, data, size))
        return "none";
    return std::string(static_cast<const char*>(data), size);
}
} // namespace

TEST(ResourceModule, FindsByNameTypeAndLanguage)
{
    const std::vector<qm::platform::ResourceFile> files = {
        {"LocalizableStrings.fr.xml", kFr, 2},
        {"LocalizableStrings.ja.xml", kJa, 2},
        {"LocalizableStrings.en.xml", kEn, 2},
        {"ButtonAdd.png", kPng, 3},
        {"Only.fr.xml", kFr, 2},
    };
    struct Case
    {
        const char* language;
        const char* name;
        const char* type;
        const char* expected;
    };
    const Case cases[] = {
        {"ja", "LocalizableStrings", "xml", "ja"},
        {"en", "LocalizableStrings", "xml", "en"},
        {"de", "LocalizableStrings", "xml", "en"}, // no such language: English
        {"ja", "Only", "xml", "fr"},               // no English either: the first
        {"en", "BUTTONADD", "PNG", "png"},
        {"en", "ButtonAdd", "xml", "none"},
        {"en", "ButtonAd", "png", "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Found(ResourceModule(files, c.language), c.name, c.type), c.expected)
            << c.language << " " << c.name << "." << c.type;
}

TEST(ResourceModule, UserLanguageFromTheLocaleVariables)
{
    struct Case
    {
        std::optional<std::string> lcAll, lcMessages, lang;
        const char* expected;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, "ja_JP.UTF-8", "ja"},
        {std::nullopt, std::nullopt, "en_US.UTF-8", "en"},
        {std::nullopt, "ja_JP.UTF-8", "en_US.UTF-8", "ja"},
        {"C", "ja_JP.UTF-8", "ja_JP.UTF-8", "en"}, // LC_ALL decides when set
        {"", "", "ja", "ja"},                      // empty variables are skipped
        {std::nullopt, std::nullopt, std::nullopt, "en"},
    };
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* v = std::getenv(names[i]))
            saved[i] = v;
    for (const auto& c : cases)
    {
        const std::optional<std::string>* values[] = {&c.lcAll, &c.lcMessages, &c.lang};
        for (int i = 0; i < 3; ++i)
        {
            if (*values[i])
                ::setenv(names[i], (*values[i])->c_str(), 1);
            else
                ::unsetenv(names[i]);
        }
        EXPECT_EQ(qm::platform::UserLanguage(), c.expected)
            << c.lcAll.value_or("-") << " " << c.lcMessages.value_or("-") << " " << c.lang.value_or("-");
    }
    for (int i = 0; i < 3; ++i)
    {
        if (saved[i])
            ::setenv(names[i], saved[i]->c_str(), 1);
        else
            ::unsetenv(names[i]);
    }
}
