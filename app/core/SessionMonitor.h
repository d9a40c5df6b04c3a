#pragma once

#include "app/core/ExportSessionListener.h"

namespace Tavrel
{
// What the controller reads of the running export, burn or erase session,
// without depending on the layer that runs sessions. The export manager
// installs itself as the process's monitor; every read answers "none" when
// no session runs.
//
// The reads belong to the message thread.
class SessionMonitor
{
public:
    virtual ~SessionMonitor() = default;

    virtual void addSessionListener(ExportSessionListener* listener) = 0;
    virtual void removeSessionListener(ExportSessionListener* listener) = 0;
    // 0 none, 1 file export, 2 disc burn, 3 disc erase.
    virtual int getCurrentSessionKind() = 0;
    // The running session's progress in percent; 0 without one.
    virtual double getSessionProgress() = 0;
    // The running session's time read-out; false (nothing written) without one.
    virtual bool getSessionPosition(int& hours, int& minutes, float& seconds) = 0;
    // The two channel levels in dB and the clip state (0, 1 or 2); -100 dB
    // and 0 without a session.
    virtual void getSessionLevels(float levels[2], int& clip) = 0;

    // The installed monitor (null: none). Set on the message thread at
    // start-up and shut-down.
    static SessionMonitor* getInstalled() { return installed; }
    static void install(SessionMonitor* monitor) { installed = monitor; }
    // Removes the monitor only when it is the installed one.
    static void uninstall(SessionMonitor* monitor)
    {
        if (installed == monitor)
            installed = nullptr;
    }

private:
    static inline SessionMonitor* installed = nullptr;
};
} // namespace Tavrel
