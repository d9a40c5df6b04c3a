#include "app/core/CTVPreferences.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/core/XmlSafety.h"
#include "platform/files/FileSafety.h"
#include "platform/files/RegularFileRead.h"

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

namespace
{
// The settings file's size is a few kilobytes; far larger is not one.
constexpr uint64_t kMaxSettingsSize = 64u << 20;
constexpr int kMaxSettingsNesting = 8;
} // namespace

bool CHfcPreferences::SetAsideUnsafeFile(const juce::File& file)
{
    const std::string path = file.getFullPathName().toStdString();
    if (!qm::platform::pathExists(path))
        return true;
    // The settings are read before anything else: a FIFO or a device named
    // as the file would block the start, so only a regular file is read.
    std::string bytes;
    if (qm::platform::readRegularFile(path, kMaxSettingsSize, bytes) != qm::platform::RegularFileReadResult::Ok)
        return false;
    // The settings library tries any file as XML first, and its parser can
    // loop for ever or expand entities without end. The binary form this
    // program writes begins with its magic number, on which the parser stops
    // at once. Anything else must be text the parser can read safely;
    // otherwise it is kept under another name and the program starts with
    // its defaults.
    if (bytes.empty() || bytes.compare(0, 4, "PROP") == 0 || bytes.compare(0, 4, "CPRP") == 0)
        return true;
    const size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const std::string_view text(bytes.data() + start, bytes.size() - start);
    if (qm::isValidUtf8(reinterpret_cast<const uint8_t*>(text.data()), text.size()) &&
        qm::hasSafeXmlStructure(text, kMaxSettingsNesting))
        return true;
    for (int attempt = 1; attempt <= 9; ++attempt)
    {
        std::string aside = path + ".damaged";
        if (attempt > 1)
        {
            aside += '-';
            aside += std::to_string(attempt);
        }
        const auto renamed = qm::platform::renameNoReplace(path, aside);
        if (renamed == qm::platform::RenameResult::Ok)
        {
            std::fprintf(stderr, "Quillmark: the settings file could not be read safely; kept as %s\n", aside.c_str());
            return true;
        }
        if (renamed != qm::platform::RenameResult::TargetExists)
            break;
    }
    return false;
}

bool CHfcPreferences::Open()
{
    if (m_key != nullptr)
        return true;

    const juce::File file = GetSettingsFile();
    if (!file.getParentDirectory().createDirectory().wasOk() || file.isDirectory())
        return false;
    if (!SetAsideUnsafeFile(file))
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
