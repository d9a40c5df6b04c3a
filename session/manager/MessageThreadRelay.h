#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Tavrel
{
// Runs functions on the JUCE message thread for other threads and makes the
// caller wait until the function has run, so that a worker thread can ask the
// user interface a question and get the answer.
//
// A waiting caller is released without the function having run when the
// relay is closed, when the message loop has quit before the call could be
// posted, or when the message manager goes away with the call still queued.
// So a worker never waits forever for a message loop that is shutting down,
// and the owner can close the relay before it joins its workers.
class MessageThreadRelay
{
public:
    MessageThreadRelay() = default;
    // Closes the relay.
    ~MessageThreadRelay();

    MessageThreadRelay(const MessageThreadRelay&) = delete;
    MessageThreadRelay& operator=(const MessageThreadRelay&) = delete;

    // Runs the function on the message thread and returns true once it has
    // run. On the message thread itself, or on a thread that holds the
    // message-manager lock (the message thread is then held still), it runs at
    // once. False when it has not run and will not run: there is no message
    // manager, the relay is closed, or the call was dropped.
    bool call(const std::function<void()>& function);

    // Releases every waiting call (a call whose function is already running
    // on the message thread finishes first) and refuses calls from now on.
    void close();

private:
    struct PendingCall;
    class CallMessage;

    std::mutex m_lock;
    bool m_closed = false;
    std::vector<std::shared_ptr<PendingCall>> m_pending;
};
} // namespace Tavrel
