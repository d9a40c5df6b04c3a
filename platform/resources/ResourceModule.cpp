#include "platform/resources/ResourceModule.h"

#include <cstdlib>
#include <utility>

namespace qm::platform
{
namespace
{
bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}
} // namespace

ResourceModule::ResourceModule(std::vector<ResourceFile> files, std::string language)
    : m_language(std::move(language))
{
    for (auto& file : files)
    {
        const std::string& n = file.fileName;
        const auto lastDot = n.rfind('.');
        if (lastDot == std::string::npos || lastDot == 0)
            continue;
        Entry entry{n.substr(0, lastDot), {}, n.substr(lastDot + 1), file.data, file.size};
        const auto firstDot = n.find('.');
        if (firstDot != lastDot)
        {
            entry.name = n.substr(0, firstDot);
            entry.language = n.substr(firstDot + 1, lastDot - firstDot - 1);
        }
        m_entries.push_back(std::move(entry));
    }
}

bool ResourceModule::Find(std::string_view name, std::string_view type, const void*& data, std::size_t& size) const
{
    const Entry* first = nullptr;
    const Entry* english = nullptr;
    const Entry* chosen = nullptr;
    for (const auto& entry : m_entries)
    {
        if (!EqualsIgnoringCase(entry.name, name) || !EqualsIgnoringCase(entry.type, type))
            continue;
        if (first == nullptr)
            first = &entry;
        if (chosen == nullptr && EqualsIgnoringCase(entry.language, m_language))
            chosen = &entry;
        if (english == nullptr && EqualsIgnoringCase(entry.language, "en"))
            english = &entry;
    }
    const Entry* found = chosen != nullptr ? chosen : english != nullptr ? english : first;
    if (found == nullptr)
        return false;
    data = found->data;
    size = found->size;
    return true;
}

std::string UserLanguage()
{
    // The POSIX order of precedence: the first variable that is set and not
    // empty decides.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0')
            continue;
        const std::string_view text(value);
        return (text.size() >= 2 && EqualsIgnoringCase(text.substr(0, 2), "ja")) ? "ja" : "en";
    }
    return "en";
}
} // namespace qm::platform
