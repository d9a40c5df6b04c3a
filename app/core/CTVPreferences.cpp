#include "app/core/CTVPreferences.h"

#include <cstdint>
#include <cstdlib>

namespace
{
// Parses a whole number in the range of a 32-bit value, signed or unsigned.
bool ParseInt(const juce::String& text, int& value)
{
    const auto trimmed = text.trim();
    auto digits = trimmed.startsWithChar('-') ? trimmed.substring(1) : trimmed;
    if (digits.isEmpty() || digits.length() > 10 || !digits.containsOnly("0123456789"))
        return false;
    std::int64_t number = digits.getLargeIntValue();
    if (trimmed.startsWithChar('-'))
        number = -number;
    if (number < INT32_MIN || number > UINT32_MAX)
        return false;
    value = static_cast<int>(static_cast<std::uint32_t>(number));
    return true;
}
} // namespace

CHfcPreferences::~CHfcPreferences()
{
    Close();
}

juce::File CHfcPreferences::GetSettingsFile()
{
    // XDG base directories: a relative or empty XDG_CONFIG_HOME is ignored.
    juce::File configFolder;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        configFolder = juce::File(juce::String::fromUTF8(xdg));
    else
        configFolder = juce::File::getSpecialLocation(juce::File::userHomeDirectory).getChildFile(".config");
    return configFolder.getChildFile("Quillmark").getChildFile("Quillmark.settings");
}

bool CHfcPreferences::Open()
{
    if (m_key != nullptr)
        return true;

    const juce::File file = GetSettingsFile();
    if (!file.getParentDirectory().createDirectory().wasOk() || file.isDirectory())
        return false;

    juce::PropertiesFile::Options options;
    options.ignoreCaseOfKeyNames = true;
    options.millisecondsBeforeSaving = 0; // write every change at once
    // The binary form keeps every text exactly as stored; the XML form would
    // rewrite texts that happen to parse as XML.
    options.storageFormat = juce::PropertiesFile::storeAsBinary;

    auto key = std::make_unique<juce::PropertiesFile>(file, options);
    // A new file is written now, so that a folder that cannot take it is found
    // at once and not on the first change.
    if (!file.existsAsFile() && !key->save())
        return false;
    if (!file.existsAsFile() || !file.hasWriteAccess())
        return false;

    m_key = std::move(key);
    return true;
}

void CHfcPreferences::Close()
{
    m_key.reset();
}

void CHfcPreferences::SetInt(const juce::String& name, int value)
{
    if (m_key != nullptr)
        m_key->setValue(name, juce::String(value));
}

int CHfcPreferences::GetInt(const juce::String& name, int defaultValue) const
{
    if (m_key == nullptr || !m_key->containsKey(name))
        return defaultValue;
    int value = 0;
    return ParseInt(m_key->getValue(name), value) ? value : defaultValue;
}

void CHfcPreferences::SetString(const juce::String& name, const juce::String& text)
{
    if (m_key != nullptr)
        m_key->setValue(name, text);
}

void CHfcPreferences::ReadString(const juce::String& name, juce::String& destination,
                                 const juce::String& defaultText) const
{
    if (m_key == nullptr)
        return;
    destination = m_key->containsKey(name) ? m_key->getValue(name) : defaultText;
}

juce::String CHfcPreferences::GetString(const juce::String& name, const juce::String& defaultText) const
{
    juce::String text = defaultText;
    ReadString(name, text, defaultText);
    return text;
}

CTVPreferences::CTVPreferences()
{
    Open();
}
