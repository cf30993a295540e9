#pragma once
// The network job scheduler's record of a job (Windows' AT_INFO), as the
// Windows scheduler makes it from a job: the start time in milliseconds
// after midnight, the weekday bits, "run periodically" always set, and the
// quoted program path followed by the argument text. Pure, so that both
// builds can check it.
#include <cstdint>
#include <string>

#include "platform/Scheduler.h"

namespace qm::platform {

// The job runs on every day of its day masks, not once.
inline constexpr std::uint8_t kJobRunPeriodically = 0x01;

struct AtInfo {
    std::uint32_t JobTime = 0;      // milliseconds after midnight
    std::uint32_t DaysOfMonth = 0;  // bit 0 is the 1st
    std::uint8_t DaysOfWeek = 0;    // kMondayBit ... kSundayBit
    std::uint8_t Flags = 0;         // kJobRunPeriodically
    // UTF-8: "\"C:\\Qm\\quillmark.exe\" sf=Outlookxm=10000000ps=bf=D:\\b.qmk".
    std::string Command;
};

// With no weekday the record names no day, and the scheduler runs the job
// once, at the next start time. A job reading its password from a file
// names it first: "\"C:\\Qm\\quillmark.exe\" --password-file \"<file>\" sf=...";
// the job's program options follow ("... --keep 3 sf=...").
inline AtInfo atInfoFor(const JobSpec& job, const std::string& passwordFile = {}) {
    AtInfo record;
    record.JobTime = job.startMinute * 60000u;
    record.DaysOfMonth = 0;
    record.DaysOfWeek = job.once ? 0 : job.weekdays;
    record.Flags = kJobRunPeriodically;
    record.Command = "\"" + job.program + "\" " +
                     (passwordFile.empty() ? std::string() : "--password-file \"" + passwordFile + "\" ");
    // Program options are words without blanks or quotation marks.
    for (const auto& option : job.options) record.Command += option + " ";
    record.Command += job.arguments;
    return record;
}

}  // namespace qm::platform
