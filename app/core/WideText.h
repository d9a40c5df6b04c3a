#pragma once

#include <juce_core/juce_core.h>

#include <string>

// Conversions between the engine's UTF-16 text and the application's strings.

inline juce::String toJuceString(const char16_t* text)
{
    if (text == nullptr)
        return {};
    return juce::String(juce::CharPointer_UTF16(reinterpret_cast<const juce::CharPointer_UTF16::CharType*>(text)));
}

inline juce::String toJuceString(const std::u16string& text)
{
    return toJuceString(text.c_str());
}

inline std::u16string toEngineText(const juce::String& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.toUTF16().getAddress()));
}
