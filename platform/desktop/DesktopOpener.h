#pragma once

#include <string>

// Hands a document to the desktop's opener ("xdg-open"), which starts the
// program the user associated with its type. The opener is started with an
// argument list (no shell, so no character of the path is ever interpreted)
// and without pipes, so a chatty opener cannot fill one and stall.
//
// Any thread; the call waits at most `waitMs` for the opener to answer.
namespace qm::platform
{
enum class [[nodiscard]] DesktopOpenResult{
    // The opener accepted the document: it ended with status 0, or it was
    // still running when the wait ended (some openers run the viewer in
    // their own process).
    Opened,
    // The path is not absolute, or no process could be started.
    CannotStart,
    // The opener ended with a non-zero status (including a program that
    // could not be executed).
    Failed,
};

inline constexpr int kDesktopOpenerWaitMs = 2000;

// `opener` is the program to start, looked up in PATH unless it holds a
// slash; the document's absolute UTF-8 path is its one argument. An opener
// still running after the wait is kept and reaped by a later call.
DesktopOpenResult openWithDesktop(const std::string& documentPath, const std::string& opener = "xdg-open",
                                  int waitMs = kDesktopOpenerWaitMs);
} // namespace qm::platform
