#pragma once

#include <juce_events/juce_events.h>

#include <cstdint>
#include <optional>
#include <string>

namespace Tavrel
{
class ExportSession;

// A session's progress, posted by the export manager to itself so that the
// session's thread does not wait for the message thread. The key is copied:
// the message outlives the call that posted it.
class ProgressMessage final : public juce::Message
{
public:
    ProgressMessage(ExportSession* reportingSession, std::uint64_t sessionSerial, double percent, const char* textKey,
                    const juce::StringArray& keyTexts)
        : session(reportingSession),
          serial(sessionSerial),
          progress(percent),
          texts(detachedCopy(keyTexts))
    {
        if (textKey != nullptr)
            key = textKey;
    }

    // The key as the listeners take it: null when none was given.
    const char* getKey() const { return key ? key->c_str() : nullptr; }

    ExportSession* const session;
    // Which run of the manager the session belongs to; a message of a
    // session that has been replaced since is not delivered.
    const std::uint64_t serial;
    const double progress;
    std::optional<std::string> key;
    const juce::StringArray texts;

private:
    // Texts of their own rather than shared ones: the posting thread and the
    // message thread then never count references to the same text.
    static juce::StringArray detachedCopy(const juce::StringArray& source)
    {
        juce::StringArray copy;
        copy.ensureStorageAllocated(source.size());
        for (const juce::String& text : source)
            copy.add(juce::String(text.getCharPointer()));
        return copy;
    }
};
} // namespace Tavrel
