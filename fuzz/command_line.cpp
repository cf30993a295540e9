// The console's command line (words split at zero bytes) and the argument
// text of an unattended backup (sf=...xm=...ps=...bf=...).
#include "cli/Arguments.h"
#include "fuzz/FuzzSupport.h"
#include "jobs/AutomaticArguments.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::bytesOf(data, size);
    std::vector<std::string> words;
    for (std::size_t start = 0; start <= bytes.size();) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        words.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    cli::Arguments args;
    std::string error;
    if (cli::parseArguments(words, args, error)) {
        // --help wins wherever it stands; what came before it is not checked.
        if (args.items && args.form != cli::Form::Help) fuzz::check(args.items->size() == 8, "items are eight digits");
    } else {
        fuzz::check(!error.empty(), "a refused command line says why");
    }

    std::string why;
    jobs::AutomaticSettings settings;
    if (jobs::ParseCommandLine(bytes, settings, why)) {
        fuzz::check(!settings.profile.empty() && !settings.selection.empty() && !settings.archivePath.empty(),
                    "an accepted text names a profile, items and a file");
        for (const std::string* value :
             {&settings.profile, &settings.selection, &settings.password, &settings.archivePath})
            fuzz::check(value->find('=') == std::string::npos, "no value holds =");
        // What a job writes reads back as it was.
        jobs::AutomaticSettings again;
        fuzz::check(jobs::ParseCommandLine(jobs::ArgumentText(settings), again, why) &&
                        jobs::ArgumentText(again) == jobs::ArgumentText(settings),
                    "an accepted text is written and read back the same");
    } else {
        fuzz::check(!why.empty(), "a refused text says why");
    }
    return 0;
}
