#pragma once

// SIGTERM (a logout, `kill`) and SIGINT (Ctrl+C in a terminal) as quit
// requests: the handlers only note the signal; the message thread asks with
// takeQuitSignal and quits as it would for its own quit request. Installing
// replaces the framework's own SIGINT handling, which would quit without
// asking while a session runs.
namespace qm::platform
{
void installQuitSignalHandlers();
// True once per signal received since the last call. Any thread.
bool takeQuitSignal();
} // namespace qm::platform
