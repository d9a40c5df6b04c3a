#pragma once

#include "app/core/CBJXSingleton.h"

#include <juce_graphics/juce_graphics.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace qm::platform
{
class ResourceModule;
}

// The program's built-in resources: the UI-string table in the user's language
// (parsed once, when the instance is created) and the named images. Resource
// names and types are matched without regard to case.
class CBJXResource : public CBJXSingleton<CBJXResource>
{
public:
    CBJXResource();
    ~CBJXResource() override;

    // The text of a UI-string key, every "##" turned into a line break. An
    // unknown key, a missing instance or a missing table give the empty text.
    static juce::String GetString(const CBJXResource* instance, juce::StringRef key);
    // The same through the process-wide instance.
    static juce::String GetString(juce::StringRef key);

    // Copies up to capacity bytes of a resource into destination (when given)
    // and returns the number copied; fullSize receives the resource's size, or
    // -1 when it does not exist or is empty.
    int CopyResource(const char* name, const char* type, void* destination, int capacity, int* fullSize) const;

    // The decoded image (PNG, JPEG or GIF); a null image when the resource is
    // missing, empty or cannot be decoded.
    juce::Image LoadImage(const char* name, const char* type) const;

    // The root element of an XML resource (UTF-8); null when it is missing or
    // does not parse.
    std::unique_ptr<juce::XmlElement> LoadXml(const char* name, const char* type) const;

    // The resources that instances read: the ones built into the program,
    // unless a test has put others in their place (null restores the built-in
    // ones). The module must outlive every instance created while it is set.
    static void SetModule(const qm::platform::ResourceModule* module);

private:
    static const qm::platform::ResourceModule& Module();

    std::unique_ptr<juce::XmlElement> m_strings;
    // The first entry of each key in the table.
    std::unordered_map<std::string, const juce::XmlElement*> m_entries;
};
