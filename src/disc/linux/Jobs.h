#pragma once
// The two long jobs of the component, each run in a worker thread: writing
// the image (with its verification) and erasing. They report only through
// the event queue and end with exactly one final event.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "disc/linux/EventQueue.h"
#include "disc/linux/ImageBuilder.h"

namespace burn {
struct burn_drive;
}

namespace qm::disc::linuxburn {

struct WriteRequest {
    burn::burn_drive* drive = nullptr;
    std::string driveName;
    std::string filePath;       // a file drive's file
    bool overwritable = false;  // a medium written in place (file drives too)
    bool append = false;
    WritePlan plan;
    int writeSpeed = 0;
    int writeMode = 0;
    bool autoVerify = false;
    bool cacheImage = false;
    bool testWrite = false;
    bool finalize = false;
    bool bufferProtection = false;
};
// Ends with WriteStatus stage 9, 10 or 11.
void RunWrite(const WriteRequest& request, EventQueue& events, const std::atomic<bool>& cancel);

struct EraseRequest {
    burn::burn_drive* drive = nullptr;  // a real drive
    std::string filePath;               // or a file drive
    std::string driveName;
    bool quick = true;
};
// Ends with EraseStatus stage 2 or 3, or with EraseFailed.
void RunErase(const EraseRequest& request, EventQueue& events);

struct VerifyFile {
    std::string imagePath;
    std::string source;
};
// Reads the session written at `sessionStart` back through the drive and
// compares every file with its source and with the MD5 recorded for it.
// False when cancelled.
bool VerifyDisc(burn::burn_drive* drive, std::uint32_t sessionStart, const std::vector<VerifyFile>& files,
                EventQueue& events, const std::atomic<bool>& cancel);

}  // namespace qm::disc::linuxburn
