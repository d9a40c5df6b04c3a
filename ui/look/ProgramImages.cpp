#include "ui/look/ProgramImages.h"

#include "app/core/CBJXResource.h"

namespace Tavrel
{
namespace
{
std::function<int64_t()>& Clock()
{
    static std::function<int64_t()> clock;
    return clock;
}
} // namespace

juce::Image loadProgramImage(const char* name)
{
    const CBJXResource* resources = CBJXResource::GetStoredInstance();
    return resources != nullptr ? resources->LoadImage(name, "png") : juce::Image();
}

int64_t uiClockMs()
{
    if (Clock())
        return Clock()();
    return static_cast<int64_t>(juce::Time::getMillisecondCounterHiRes());
}

void setUiClockForTests(std::function<int64_t()> clock)
{
    Clock() = std::move(clock);
}
} // namespace Tavrel
