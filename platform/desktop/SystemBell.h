#pragma once

// The system's alert sound: the X server's bell. Nothing happens without a
// display. Any thread.
namespace qm::platform
{
void ringSystemBell();
} // namespace qm::platform
