#include "disc/linux/EventQueue.h"

#include <chrono>

namespace qm::disc::linuxburn {

void EventQueue::post(Raise raise) {
    std::lock_guard lock(mutex_);
    if (shutDown_) return;
    pending_.push_back({std::move(raise), false, nullptr});
    changed_.notify_all();
}

bool EventQueue::wait(const std::shared_ptr<Reply>& reply, std::unique_lock<std::mutex>& lock) {
    changed_.notify_all();
    changed_.wait(lock, [&] { return reply->done || shutDown_; });
    return reply->done && reply->answer;
}

bool EventQueue::postAndWait(Raise raise) {
    std::unique_lock lock(mutex_);
    if (shutDown_) return false;
    auto reply = std::make_shared<Reply>();
    pending_.push_back({std::move(raise), false, reply});
    return wait(reply, lock);
}

bool EventQueue::ask(Raise question) {
    std::unique_lock lock(mutex_);
    if (shutDown_) return false;
    auto reply = std::make_shared<Reply>();
    pending_.push_back({std::move(question), true, reply});
    return wait(reply, lock);
}

bool EventQueue::deliver(int waitMilliseconds, std::vector<DiscEvents*> subscribers) {
    std::deque<Pending> batch;
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(waitMilliseconds),
                          [&] { return !pending_.empty() || woken_ || shutDown_; });
        woken_ = false;
        batch.swap(pending_);
    }
    for (auto& event : batch) {
        bool answer = !event.question;
        if (event.question) {
            if (!subscribers.empty()) answer = event.raise(*subscribers.front());
        } else {
            for (auto* s : subscribers) event.raise(*s);
        }
        if (event.reply) {
            std::lock_guard lock(mutex_);
            event.reply->answer = answer;
            event.reply->done = true;
            changed_.notify_all();
        }
    }
    return !batch.empty();
}

void EventQueue::wake() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    changed_.notify_all();
}

void EventQueue::shutDown() {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    pending_.clear();
    changed_.notify_all();
}

void EventQueue::reopen() {
    std::lock_guard lock(mutex_);
    shutDown_ = false;
    woken_ = false;
}

}  // namespace qm::disc::linuxburn
