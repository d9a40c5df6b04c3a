// The settings file is read at start-up from the user's configuration folder,
// where anything may have been left: every read must give a value or its
// default, and a write must still work afterwards.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/core/CTVPreferences.h"
#include "tests/fuzz/FuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The settings file lives below $XDG_CONFIG_HOME, pointed at a folder of
    // this process's own once.
    static const juce::File settings = [] {
        const qm::fuzz::InputFile folder("config");
        ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
        const juce::File file = CHfcPreferences::GetSettingsFile();
        file.getParentDirectory().createDirectory();
        return file;
    }();
    if (!settings.replaceWithData(data, size))
        std::abort();

    CHfcPreferences preferences;
    if (preferences.Open())
    {
        for (const char* name : {"Volume", "WindowX", "LastFolder", "", "a b", "ExportFormat"})
        {
            preferences.GetInt(name, 7);
            preferences.GetString(name, "default");
            juce::String text;
            preferences.ReadString(name, text, "default");
        }
        preferences.SetInt("FuzzCount", 1);
        if (preferences.GetInt("FuzzCount", 0) != 1)
            std::abort();
    }
    preferences.Close();
    return 0;
}
