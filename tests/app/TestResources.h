#pragma once

#include "app/core/CBJXResource.h"
#include "platform/resources/ResourceModule.h"

#include <string>
#include <vector>

namespace qm::test
{
// Puts a resource module of the test's own in place of the built-in one for
// the fixture's life, and holds a reference to CBJXResource read from it.
class TestResources
{
public:
    struct File
    {
        std::string fileName;
        juce::MemoryBlock bytes;
    };

    explicit TestResources(std::vector<File> files, std::string language = "en")
        : m_files(std::move(files))
    {
        std::vector<qm::platform::ResourceFile> list;
        for (const auto& file : m_files)
            list.push_back({file.fileName, file.bytes.getData(), file.bytes.getSize()});
        m_module = std::make_unique<qm::platform::ResourceModule>(std::move(list), std::move(language));
        CBJXResource::SetModule(m_module.get());
        m_resource = CBJXResource::GetInstance();
    }

    ~TestResources()
    {
        CBJXResource::Release();
        CBJXResource::SetModule(nullptr);
    }

    TestResources(const TestResources&) = delete;
    TestResources& operator=(const TestResources&) = delete;

    CBJXResource* resource() const { return m_resource; }

    // A string table with the given entries ("Key", "Text").
    static File StringTable(const std::vector<std::pair<std::string, std::string>>& entries,
                            const std::string& language = "en")
    {
        juce::XmlElement root("Strings");
        root.setAttribute("Language", juce::String(language));
        for (const auto& [key, text] : entries)
            root.createNewChildElement(juce::String(key))->setAttribute("Text", juce::String::fromUTF8(text.c_str()));
        const auto xml = root.toString().toStdString();
        return {"LocalizableStrings." + language + ".xml", juce::MemoryBlock(xml.data(), xml.size())};
    }

private:
    std::vector<File> m_files;
    std::unique_ptr<qm::platform::ResourceModule> m_module;
    CBJXResource* m_resource = nullptr;
};
} // namespace qm::test
