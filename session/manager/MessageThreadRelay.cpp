#include "session/manager/MessageThreadRelay.h"

#include <algorithm>

#include <juce_events/juce_events.h>

namespace Tavrel
{
// One call from the moment it is posted until its caller returns.
struct MessageThreadRelay::PendingCall
{
    enum class Status
    {
        Queued,  // posted, not run yet
        Running, // running on the message thread; the caller must wait for it
        Done,    // has run
        Dropped, // will never run; the caller has been or will be released
    };

    std::mutex lock;
    Status status = Status::Queued;
    // Manual reset: signalled once, when the status reaches Done or Dropped.
    juce::WaitableEvent settled{true};

    // Marks a queued call dropped and releases its caller.
    void drop()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (status != Status::Queued)
                return;
            status = Status::Dropped;
        }
        settled.signal();
    }
};

// The posted message. It points at the caller's function, which lives on the
// caller's stack: it is called only while the call is still queued, that is
// while its caller is known to wait.
class MessageThreadRelay::CallMessage final : public juce::MessageManager::MessageBase
{
public:
    CallMessage(std::shared_ptr<PendingCall> call, const std::function<void()>* function)
        : m_call(std::move(call)),
          m_function(function)
    {
    }

    // A message that the queue throws away undelivered (the message manager
    // is deleted) releases its caller.
    ~CallMessage() override { m_call->drop(); }

    void messageCallback() override
    {
        {
            std::lock_guard<std::mutex> guard(m_call->lock);
            if (m_call->status != PendingCall::Status::Queued)
                return;
            m_call->status = PendingCall::Status::Running;
        }
        // Settles the call even when the function leaves by an exception.
        struct Settle
        {
            PendingCall& call;
            ~Settle()
            {
                {
                    std::lock_guard<std::mutex> guard(call.lock);
                    call.status = PendingCall::Status::Done;
                }
                call.settled.signal();
            }
        } settle{*m_call};
        (*m_function)();
    }

private:
    std::shared_ptr<PendingCall> m_call;
    const std::function<void()>* m_function;
};

MessageThreadRelay::~MessageThreadRelay()
{
    close();
}

bool MessageThreadRelay::call(const std::function<void()>& function)
{
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    if (messageManager == nullptr)
        return false;

    auto pending = std::make_shared<PendingCall>();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_closed)
            return false;
        if (messageManager->isThisTheMessageThread() || messageManager->currentThreadHasLockedMessageManager())
        {
            pending = nullptr;
        }
        else
        {
            m_pending.push_back(pending);
        }
    }

    if (pending == nullptr)
    {
        function();
        return true;
    }

    // post() fails once the message loop has been told to quit; the message
    // is then deleted at once, which drops the call.
    juce::MessageManager::MessageBase::Ptr message = new CallMessage(pending, &function);
    message->post();
    // From here the queue alone keeps the message, so a queue that is thrown
    // away deletes it and releases this thread.
    message = nullptr;

    pending->settled.wait(-1);

    bool ran = false;
    {
        std::lock_guard<std::mutex> guard(pending->lock);
        ran = pending->status == PendingCall::Status::Done;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), pending), m_pending.end());
    }
    return ran;
}

void MessageThreadRelay::close()
{
    std::vector<std::shared_ptr<PendingCall>> pending;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_closed = true;
        pending = m_pending;
    }
    for (auto& call : pending)
        call->drop();
}
} // namespace Tavrel
