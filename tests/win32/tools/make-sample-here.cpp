// Makes the sample Outlook installation in the Windows this runs in, through
// the program's own Win32 services (its real registry, its real folders),
// for the user running it. The end-to-end tests run it under Wine.
//   make-sample-here [--outlook 11.0|12.0|14.0|15.0|16.0] [--release R] [--profile NAME]
//                    [--second-profile NAME] [--windows 6.1|5.1]
// Prints the user name the sample was made for.
#include <cstdio>
#include <string>

#include "platform/OpenPlatform.h"
#include "sample/SampleInstallation.h"

int main(int argc, char** argv) {
    qm::sample::SampleOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--outlook")
            options.outlook = argv[i + 1];
        else if (name == "--profile")
            options.profile = argv[i + 1];
        else if (name == "--second-profile")
            options.secondProfile = argv[i + 1];
        else if (name == "--release")
            options.release = argv[i + 1];
        else if (name == "--windows")
            options.windows = argv[i + 1];
        else {
            std::fprintf(stderr, "make-sample-here: unknown option %s\n", name.c_str());
            return 2;
        }
    }
    qm::platform::Platform platform;
    std::string error;
    if (!qm::platform::openPlatform({}, platform, error)) {
        std::fprintf(stderr, "make-sample-here: %s\n", error.c_str());
        return 1;
    }
    if (!platform.system->GetUserNameA(options.user)) {
        std::fprintf(stderr, "make-sample-here: no user name\n");
        return 1;
    }
    // Names in the code page of the Windows it runs in.
    options.codePage = platform.codePage->name();
    qm::sample::SampleInstallation made;
    if (!qm::sample::buildSample(options, platform, made, error)) {
        std::fprintf(stderr, "make-sample-here: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", platform.codePage->toUtf8(options.user).c_str());
    return 0;
}
