#include "app/core/CBJXResource.h"

#include "platform/resources/ResourceModule.h"
#include "resources/EmbeddedResources.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

namespace
{
std::atomic<const qm::platform::ResourceModule*> g_moduleOverride{nullptr};

const qm::platform::ResourceModule& BuiltInModule()
{
    static const qm::platform::ResourceModule module = [] {
        std::vector<qm::platform::ResourceFile> files;
        for (const auto& file : qm::resources::EmbeddedFiles())
            files.push_back({file.fileName, file.data, static_cast<std::size_t>(std::max(file.size, 0))});
        return qm::platform::ResourceModule(std::move(files), qm::platform::UserLanguage());
    }();
    return module;
}
} // namespace

const qm::platform::ResourceModule& CBJXResource::Module()
{
    const auto* module = g_moduleOverride.load();
    return module != nullptr ? *module : BuiltInModule();
}

void CBJXResource::SetModule(const qm::platform::ResourceModule* module)
{
    g_moduleOverride.store(module);
}

CBJXResource::CBJXResource()
    : m_strings(LoadXml("LocalizableStrings", "xml"))
{
    if (m_strings == nullptr)
        return;
    for (const auto* entry : m_strings->getChildIterator())
        m_entries.emplace(entry->getTagName().toStdString(), entry);
}

CBJXResource::~CBJXResource() = default;

juce::String CBJXResource::GetString(const CBJXResource* instance, juce::StringRef key)
{
    if (instance == nullptr)
        return {};
    const auto it = instance->m_entries.find(juce::String(key).toStdString());
    if (it == instance->m_entries.end())
        return {};
    return it->second->getStringAttribute("Text").replace("##", "\n");
}

juce::String CBJXResource::GetString(juce::StringRef key)
{
    return GetString(GetStoredInstance(), key);
}

int CBJXResource::CopyResource(const char* name, const char* type, void* destination, int capacity, int* fullSize) const
{
    const void* data = nullptr;
    std::size_t size = 0;
    const bool found = Module().Find(name, type, data, size) && size > 0 && size <= INT32_MAX;
    int copied = 0;
    if (found && destination != nullptr && capacity > 0)
    {
        copied = static_cast<int>(std::min<std::size_t>(size, static_cast<std::size_t>(capacity)));
        std::memcpy(destination, data, static_cast<std::size_t>(copied));
    }
    if (fullSize != nullptr)
        *fullSize = found ? static_cast<int>(size) : -1;
    return copied;
}

juce::Image CBJXResource::LoadImage(const char* name, const char* type) const
{
    // The resources are in memory already: the decoder reads them in place.
    const void* data = nullptr;
    std::size_t size = 0;
    if (!Module().Find(name, type, data, size) || size == 0)
        return {};
    return juce::ImageFileFormat::loadFrom(data, size);
}

std::unique_ptr<juce::XmlElement> CBJXResource::LoadXml(const char* name, const char* type) const
{
    const void* data = nullptr;
    std::size_t size = 0;
    if (!Module().Find(name, type, data, size) || size == 0 || size > INT32_MAX)
        return nullptr;
    return juce::parseXML(juce::String::fromUTF8(static_cast<const char*>(data), static_cast<int>(size)));
}
