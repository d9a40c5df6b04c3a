#pragma once

#include "app/core/CBJXSingleton.h"

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

// The program's settings: named whole numbers and texts in the settings file
// "Quillmark.settings" of the folder "Quillmark" in the user's configuration
// folder ($XDG_CONFIG_HOME, else ~/.config). Every change is written to the
// file at once. Value names are matched without regard to case.
//
// Without a usable settings file (the folder cannot be made, the file cannot
// be written) the program runs without saved settings: every read gives its
// default and every write does nothing. No operation reports an error.
class CHfcPreferences
{
public:
    CHfcPreferences() = default;
    virtual ~CHfcPreferences();

    CHfcPreferences(const CHfcPreferences&) = delete;
    CHfcPreferences& operator=(const CHfcPreferences&) = delete;

    // Opens the settings file, creating the folder and the file when they do
    // not exist yet. True when the file can be read and written.
    bool Open();
    void Close();
    bool IsOpen() const { return m_key != nullptr; }

    void SetInt(const juce::String& name, int value);
    // The stored number, or the default when the value is absent or not a
    // whole number.
    int GetInt(const juce::String& name, int defaultValue) const;

    void SetString(const juce::String& name, const juce::String& text);
    // Stores the value's text in destination, or the default when the value
    // is absent; leaves destination untouched when the file is not open.
    void ReadString(const juce::String& name, juce::String& destination, const juce::String& defaultText) const;
    // The stored text of any length, or the default when the value is absent
    // or the file is not open.
    juce::String GetString(const juce::String& name, const juce::String& defaultText) const;

    // The settings file that Open uses.
    static juce::File GetSettingsFile();

private:
    // A settings file that is text the XML parser could hang on is renamed
    // to "<name>.damaged" (or "-2" ... "-9"), so that the program starts with
    // its defaults and the file is kept. False when the file cannot be read
    // (not a regular file) or cannot be set aside.
    static bool SetAsideUnsafeFile(const juce::File& file);

    std::unique_ptr<juce::PropertiesFile> m_key;
};

// The process-wide settings, opened when the instance is created.
class CTVPreferences : public CHfcPreferences, public CBfcSingleton<CTVPreferences>
{
public:
    CTVPreferences();
};
