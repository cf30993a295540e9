#pragma once
// Events a worker thread raises for the windows, delivered on the thread
// that polls. A question (and an event the worker must know delivered)
// blocks the worker until the poller has handled it; shutting the queue
// down answers every open question with false.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "disc/DiscEngine.h"

namespace qm::disc::linuxburn {

// Raises one event on a subscriber; the result is the answer of a question.
using Raise = std::function<bool(DiscEvents&)>;

class EventQueue {
public:
    // Worker side.
    void post(Raise raise);
    // Waits until the event was delivered; false when the queue shut down.
    bool postAndWait(Raise raise);
    // Asked of the first subscriber only; false when the queue shut down.
    bool ask(Raise question);

    // Poller side: waits up to the time for something to deliver, then
    // delivers all that is pending. True when something was delivered.
    bool deliver(int waitMilliseconds, std::vector<DiscEvents*> subscribers);
    // Wakes a waiting poller.
    void wake();
    void shutDown();
    void reopen();

private:
    struct Reply {
        bool done = false;
        bool answer = false;
    };
    struct Pending {
        Raise raise;
        bool question = false;
        std::shared_ptr<Reply> reply;  // set when the worker waits
    };
    bool wait(const std::shared_ptr<Reply>& reply, std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;
    bool woken_ = false;
    bool shutDown_ = false;
};

}  // namespace qm::disc::linuxburn
