#include "app/core/TextFormatting.h"

#include "app/core/CBJXResource.h"
#include "engine/audiofile/foundation/NumberHelpers.h"

#include <algorithm>
#include <cmath>

namespace
{
// M4A files are read by the media decoding layer, which is always built in.
constexpr bool kCompressedAudioReaderPresent = true;

// Largest duration shown, in milliseconds (about 29 million years): keeps the
// arithmetic below far from overflow for any input.
constexpr std::int64_t kMaxMilliseconds = std::int64_t(1) << 50;

// Seconds as whole milliseconds, rounded to the nearest one.
std::int64_t ToMilliseconds(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    const double magnitude = std::min(std::fabs(seconds), double(kMaxMilliseconds / 1000));
    const auto whole = static_cast<std::int64_t>(magnitude);
    const auto milliseconds = whole * 1000 + static_cast<std::int64_t>((magnitude - double(whole)) * 1000.0 + 0.5);
    return seconds < 0.0 ? -milliseconds : milliseconds;
}

// The text of a duration in whole milliseconds. Integer arithmetic keeps every
// millisecond: a floating-point total of an hour and more cannot hold them all.
juce::String FormatMilliseconds(std::int64_t total, TimeStyle style)
{
    total = std::clamp<std::int64_t>(total, 0, kMaxMilliseconds);
    const auto milliseconds = static_cast<int>(total % 1000);
    const auto seconds = static_cast<int>((total / 1000) % 60);
    const auto minutes = static_cast<int>((total / 60000) % 60);
    const auto hours = total / 3600000;
    if (style == TimeStyle::Compact)
    {
        if (hours > 0)
            return juce::String::formatted("%lld:%02d:%02d", static_cast<long long>(hours), minutes, seconds);
        return juce::String::formatted("%d:%02d", minutes, seconds);
    }
    return juce::String::formatted("%02lld:%02d:%02d.%03d", static_cast<long long>(hours), minutes, seconds,
                                   milliseconds);
}
} // namespace

juce::String formatSampleRate(double rateHz, bool withSpace)
{
    double value = rateHz;
    const char* unit = "Hz";
    if (rateHz >= 1000000.0)
    {
        value = rateHz / 1000000.0;
        unit = "MHz";
    }
    else if (rateHz >= 1000.0)
    {
        value = rateHz / 1000.0;
        unit = "kHz";
    }
    // Nonsense rates (negative, not a number, beyond any device) show as 0.0.
    const double tenths = value * 10.0;
    const auto v =
        (std::isfinite(tenths) && tenths > 0.0 && tenths < 1e15) ? static_cast<std::int64_t>(tenths) : std::int64_t(0);
    return juce::String(v / 10) + "." + juce::String(v % 10) + (withSpace ? " " : "") + unit;
}

TimeStyle timeStyleFromSetting(int value)
{
    return value == static_cast<int>(TimeStyle::Compact) ? TimeStyle::Compact : TimeStyle::Precise;
}

juce::String formatTimeParts(int hours, int minutes, float seconds, TimeStyle style)
{
    // Out-of-range minutes and seconds carry over into the larger units.
    const std::int64_t total = (std::int64_t(hours) * 60 + minutes) * 60000 + ToMilliseconds(seconds);
    return FormatMilliseconds(total, style);
}

juce::String formatTime(double seconds, TimeStyle style)
{
    int hours = 0;
    int minutes = 0;
    float rest = 0.0f;
    SecondsToHourMinSec(seconds, &hours, &minutes, &rest);
    return formatTimeParts(hours, minutes, rest, style);
}

juce::String formatByteSize(bool decimalUnits, std::uint64_t bytes)
{
    const std::uint64_t base = decimalUnits ? 1000 : 1024;
    if (bytes == 1)
        return "1 " + CBJXResource::GetString("Unit_Byte");
    if (bytes < base)
        return juce::String(static_cast<juce::uint64>(bytes)) + " " + CBJXResource::GetString("Unit_Bytes");
    const double b = double(base);
    if (bytes < base * base)
        return juce::String(double(bytes) / b, 2) + " KB";
    if (bytes < base * base * base)
        return juce::String(double(bytes) / (b * b), 2) + " MB";
    return juce::String(double(bytes) / (b * b * b), 2) + " GB";
}

juce::String describeKeyPress(const juce::String& description)
{
    return description.replace(", backspace", "")
        .replace("spacebar", CBJXResource::GetString("Menu_Key_Space"))
        .replace("shortcut:", "")
        .removeCharacters("'")
        .replace("cursor left", CBJXResource::GetString("Symbol_Left"))
        .replace("cursor right", CBJXResource::GetString("Symbol_Right"))
        .replace("ctrl", "Ctrl")
        .replace("shift", "Shift")
        .replace("alt", "Alt")
        .replace("delete", "Del");
}

juce::String getAudioFileWildcards()
{
    juce::String wildcards = "*.wav;*.aif;*.aiff;*.mp3;*.wma;";
    if (kCompressedAudioReaderPresent)
        wildcards += "*.m4a;*.wma;";
    return wildcards + "*.cda;*.qmpl";
}

juce::StringArray getExtensionsForFileType(bool includeAudioFiles)
{
    juce::StringArray extensions{"jpg", "jpeg", "png"};
    if (includeAudioFiles)
    {
        extensions.addArray(juce::StringArray{"aif", "aiff", "mp3", "wma"});
        if (kCompressedAudioReaderPresent)
            extensions.add("m4a");
    }
    return extensions;
}

juce::String getWildcardForFileType()
{
    juce::String wildcard;
    for (const auto& extension : getExtensionsForFileType(true))
        wildcard += "*." + extension + ";";
    return wildcard;
}
