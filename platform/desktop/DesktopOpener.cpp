#include "platform/desktop/DesktopOpener.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <mutex>
#include <vector>

namespace qm::platform
{
namespace
{
// Openers that outlived their wait. Each is asked again on the next call;
// asking reaps one that has ended, so none stays a zombie for long.
std::mutex g_lingeringLock;
std::vector<std::unique_ptr<juce::ChildProcess>> g_lingering;

void ReapEnded()
{
    std::erase_if(g_lingering, [](const std::unique_ptr<juce::ChildProcess>& p) { return !p->isRunning(); });
}
} // namespace

DesktopOpenResult openWithDesktop(const std::string& documentPath, const std::string& opener, int waitMs)
{
    // A relative path could begin with '-' and be taken for an option.
    if (documentPath.empty() || documentPath.front() != '/' || opener.empty())
        return DesktopOpenResult::CannotStart;

    {
        std::lock_guard<std::mutex> guard(g_lingeringLock);
        ReapEnded();
    }

    auto process = std::make_unique<juce::ChildProcess>();
    juce::StringArray arguments;
    arguments.add(juce::String::fromUTF8(opener.c_str()));
    arguments.add(juce::String::fromUTF8(documentPath.c_str()));
    // No stream flags: the child's output goes to /dev/null, not to a pipe
    // nobody reads.
    if (!process->start(arguments, 0))
        return DesktopOpenResult::CannotStart;

    if (!process->waitForProcessToFinish(waitMs))
    {
        std::lock_guard<std::mutex> guard(g_lingeringLock);
        g_lingering.push_back(std::move(process));
        return DesktopOpenResult::Opened;
    }
    // A program that cannot be executed ends the child with status 255.
    return process->getExitCode() == 0 ? DesktopOpenResult::Opened : DesktopOpenResult::Failed;
}
} // namespace qm::platform
