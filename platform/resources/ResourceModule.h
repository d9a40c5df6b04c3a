#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm::platform
{
// One file built into the program. Its name has the form "<Name>.<type>" or
// "<Name>.<language>.<type>"; the language part marks one of several
// translations of the same resource (for example "LocalizableStrings.ja.xml").
struct ResourceFile
{
    std::string fileName;
    const void* data = nullptr;
    std::size_t size = 0;
};

// The named, typed resources that the program carries. Names and types are
// matched without regard to case. Where a resource exists in several
// languages, the one in the chosen language is found, else the English one,
// else the first one listed.
class ResourceModule
{
public:
    ResourceModule(std::vector<ResourceFile> files, std::string language);

    // True when the resource exists; data and size then describe its bytes,
    // which live as long as the module's files do.
    bool Find(std::string_view name, std::string_view type, const void*& data, std::size_t& size) const;

    const std::string& GetLanguage() const { return m_language; }

private:
    struct Entry
    {
        std::string name;
        std::string language;
        std::string type;
        const void* data;
        std::size_t size;
    };

    std::vector<Entry> m_entries;
    std::string m_language;
};

// The user's language for the program's texts: "ja" when the first set of
// LC_ALL, LC_MESSAGES and LANG starts with "ja", "en" otherwise.
std::string UserLanguage();
} // namespace qm::platform
