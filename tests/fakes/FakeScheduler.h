#pragma once
// A scheduler that keeps its jobs in a list and answers at once: every job
// it is given is added and numbered (unless told to refuse), listed and
// removed by number.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Scheduler.h"

namespace qm::test {

class FakeScheduler : public platform::Scheduler {
public:
    std::vector<platform::JobSpec> added;
    std::vector<platform::ScheduledJob> listing;
    std::vector<std::uint32_t> removed;
    std::uint32_t nextNumber = 1;
    // Set: every operation is refused with it.
    std::string failure;
    // Jobs started now: each ends when `endedStatus` is set for it.
    struct Started final : platform::StartedJob {
        std::optional<int>* status;
        explicit Started(std::optional<int>* s) : status(s) {}
        bool ended(int& exitStatus) override {
            if (!*status) return false;
            exitStatus = **status;
            return true;
        }
    };
    std::vector<std::uint32_t> startedNow;
    std::optional<int> endedStatus;

    bool addJob(const platform::JobSpec& job, std::uint32_t& number, std::string& why) override {
        if (!failure.empty()) return refuse(why);
        added.push_back(job);
        number = nextNumber++;
        platform::ScheduledJob listed;
        listed.number = number;
        listed.startMinute = job.startMinute;
        listed.weekdays = job.once ? 0 : job.weekdays;
        listed.once = job.once;
        listed.arguments = job.arguments;
        if (!job.password.empty()) listed.passwordFile = "/state/jobs/job-" + std::to_string(number) + ".password";
        listing.push_back(listed);
        return true;
    }
    bool listJobs(std::vector<platform::ScheduledJob>& jobs, std::string& why) override {
        if (!failure.empty()) return refuse(why);
        jobs = listing;
        return true;
    }
    std::unique_ptr<platform::StartedJob> startJobNow(std::uint32_t number, std::string& why) override {
        if (!failure.empty()) {
            refuse(why);
            return nullptr;
        }
        startedNow.push_back(number);
        endedStatus.reset();
        return std::make_unique<Started>(&endedStatus);
    }
    bool removeJob(std::uint32_t number, std::string& why) override {
        if (!failure.empty()) return refuse(why);
        removed.push_back(number);
        const auto before = listing.size();
        std::erase_if(listing, [number](const platform::ScheduledJob& j) { return j.number == number; });
        if (listing.size() != before) return true;
        why = "there is no job " + std::to_string(number);
        return false;
    }

private:
    bool refuse(std::string& why) const {
        why = failure;
        return false;
    }
};

}  // namespace qm::test
