#pragma once
// What a job tells whoever started it while it works. Every method has a
// default, so a caller that watches nothing (a script, a test) passes
// JobEvents itself. Names are in the installation's code page.
#include <string>

#include "items/Parts.h"

namespace qm::jobs {

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

    // Called often (between steps, and every few hundred kilobytes while
    // the archive is written or read), so that a window can keep answering.
    virtual void working() {}
    // Polled while the archive is written; true stops the write (the
    // earlier archive stays).
    virtual bool cancelled() { return false; }
};

}  // namespace qm::jobs
