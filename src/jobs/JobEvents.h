#pragma once
// What a job tells whoever started it while it works. Every method has a
// default, so a caller that watches nothing (a script, a test) passes
// JobEvents itself. Names are in the installation's code page.
#include <string>

#include "items/Parts.h"

namespace qm::jobs {

// The long steps of an archive: written, then read back (or a backup file
// tested).
enum class ArchiveStep { Writing, Checking };

class JobEvents {
public:
    virtual ~JobEvents() = default;

    // A part is about to run / the row of a part is done (ran or not).
    virtual void partStarting(items::Part /*part*/) {}
    virtual void partFinished(items::Part /*part*/, bool /*ran*/) {}
    // The backup's information-file header is written.
    virtual void headerWritten() {}
    // A file was stored but looks damaged or still in use: "<name>: <what>".
    virtual void fileWarning(const std::string& /*warning*/) {}
    // Something the user must know of a run that goes on (the installation
    // is in use, so what is read may not be consistent).
    virtual void installationInUse(const std::string& /*text*/) {}

    // The archive: a file queued, a file extracted, the write's percentage.
    virtual void entryAdded(const std::string& /*name*/) {}
    virtual void entryExtracted(const std::string& /*name*/) {}
    virtual void writeProgress(int /*percent*/) {}
    virtual void writeDone() {}
    // How far the archive's writing or checking is, in percent of that step.
    virtual void archiveProgress(ArchiveStep /*step*/, int /*percent*/) {}

    // Called often (between steps, and every few hundred kilobytes while
    // the archive is written or read), so that a window can keep answering.
    virtual void working() {}
    // Polled between the steps of a run and while the archive is written,
    // extracted or tested: true stops the run (a backup leaves the earlier
    // archive as it was). Once true, it stays true for the run.
    virtual bool cancelled() { return false; }
};

}  // namespace qm::jobs
