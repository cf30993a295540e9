// Makes a Wine prefix holding a sample Outlook installation, without Wine:
// profiles, data files, accounts, signatures, stationery, templates and the
// other files a backup saves. Try the program on it with --prefix.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "sample/SampleInstallation.h"

namespace {

// The sample's code page, chosen by --code-page.
qm::platform::CodePage& cp() {
    static qm::platform::CodePage codePage;
    return codePage;
}

const char* const kHelp =
    "Usage: make-sample-outlook --prefix DIR [options]\n"
    "\n"
    "Makes DIR a Wine prefix with a sample Outlook installation: the drives,\n"
    "the user's folders with Outlook's files, and user.reg / system.reg in\n"
    "Wine's format with the MAPI profiles, accounts and options.\n"
    "\n"
    "Options:\n"
    "  --prefix DIR            the folder to make (must be missing or empty)\n"
    "  --user NAME             Wine's user name, C:\\users\\NAME (default alice)\n"
    "  --outlook VERSION       11.0, 12.0, 14.0, 15.0 (2013) or 16.0 (2016 to\n"
    "                          Microsoft 365) (default 14.0); 15.0 and 16.0 keep\n"
    "                          their profiles under Office\\VERSION\\Outlook\n"
    "  --release R             16.0's product as Click-to-Run reports it: 2016,\n"
    "                          2019, 2021, 2024 or 365 (default 365)\n"
    "  --office-bits N         32 or 64: the Office of 15.0 or 16.0 in a --stock\n"
    "                          prefix (default 32)\n"
    "  --new-outlook           16.0: the new Outlook switched on\n"
    "  --windows VERSION       6.1 (Windows 7, default) or 5.1 (Windows XP)\n"
    "  --profile NAME          the first profile (default Outlook)\n"
    "  --second-profile NAME   a second profile (default none)\n"
    "  --code-page CP          the prefix's ANSI code page, e.g. 1251 or 932\n"
    "                          (default 1252); names are taken in it\n"
    "  --stock                 lay the prefix out as wineboot does: Windows 10\n"
    "                          without the compatibility folders (\"Application\n"
    "                          Data\", ...), no drive D:, and a 32-bit Outlook in\n"
    "                          the 64-bit prefix (--windows is not used)\n"
    "  --force                 replace a sample made before in DIR\n"
    "\n"
    "Exit status: 0 when the prefix was made, 1 when it was not, 2 for a\n"
    "usage error.\n";

void list(const char* title, const std::string& folder, const std::vector<std::string>& names) {
    std::printf("  %s: %s\n", title, cp().toUtf8(folder).c_str());
    for (const auto& n : names) std::printf("      %s\n", cp().toUtf8(n).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    qm::sample::SampleOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "make-sample-outlook: %s needs a value (see --help)\n", a.c_str());
                return false;
            }
            out = argv[++i];
            return true;
        };
        bool ok = true;
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--prefix") {
            ok = i + 1 < argc;
            if (ok) o.prefix = argv[++i];
        } else if (a == "--user") {
            ok = value(o.user);
        } else if (a == "--outlook") {
            ok = value(o.outlook);
        } else if (a == "--release") {
            ok = value(o.release);
        } else if (a == "--office-bits") {
            ok = value(o.officeBits);
        } else if (a == "--new-outlook") {
            o.newOutlook = true;
        } else if (a == "--windows") {
            ok = value(o.windows);
        } else if (a == "--profile") {
            ok = value(o.profile);
        } else if (a == "--second-profile") {
            ok = value(o.secondProfile);
        } else if (a == "--code-page") {
            ok = value(o.codePage);
        } else if (a == "--stock") {
            o.stock = true;
        } else if (a == "--force") {
            o.force = true;
        } else {
            std::fprintf(stderr, "make-sample-outlook: unknown argument %s (see --help)\n", a.c_str());
            return 2;
        }
        if (!ok) {
            if (a == "--prefix") std::fprintf(stderr, "make-sample-outlook: --prefix needs a value\n");
            return 2;
        }
    }
    if (o.prefix.empty()) {
        std::fputs("make-sample-outlook: --prefix DIR is needed (see --help)\n", stderr);
        return 2;
    }
    if (!cp().select(o.codePage)) {
        std::fprintf(stderr, "make-sample-outlook: unknown code page %s\n", o.codePage.c_str());
        return 2;
    }
    // Names are kept in the ANSI code page, as the registry holds them.
    for (std::string* name : {&o.user, &o.profile, &o.secondProfile}) *name = cp().fromUtf8(*name);

    qm::sample::SampleInstallation made;
    std::string error;
    if (!qm::sample::buildSampleInstallation(o, made, error)) {
        std::fprintf(stderr, "make-sample-outlook: %s\n", cp().toUtf8(error).c_str());
        return 1;
    }

    auto u8 = [](const std::string& s) { return cp().toUtf8(s); };
    std::printf("Made a sample Outlook %s installation for user %s in %s\n", o.outlook.c_str(), u8(o.user).c_str(),
                o.prefix.c_str());
    for (const auto& p : made.profiles) {
        std::printf("  profile %s\n", u8(p.name).c_str());
        for (const auto& d : p.dataFiles) std::printf("      data file %s\n", u8(d).c_str());
        for (const auto& d : p.addressBooks) std::printf("      address book %s\n", u8(d).c_str());
        for (const auto& d : p.cacheFiles) std::printf("      offline cache %s (never backed up)\n", u8(d).c_str());
    }
    list("signatures", made.signaturesFolder, made.signatureFiles);
    for (const auto& f : made.signatureFolderFiles) std::printf("      %s\n", u8(f).c_str());
    list("stationery", made.stationeryFolder, made.stationeryFiles);
    if (!made.sharedStationeryFolder.empty())
        std::printf("  Office's stationery: %s\n", u8(made.sharedStationeryFolder).c_str());
    list("templates", made.templatesFolder, made.templateFiles);
    list("preferences", made.outlookFolder, made.preferenceFiles);
    // The address book only where the sample made one (Outlook 2013 and
    // later have none): a selected item with nothing behind it fails the run.
    bool addressBook = false;
    for (const auto& p : made.profiles) addressBook = addressBook || !p.addressBooks.empty();
    std::printf("Back it up with: quillmark --prefix %s --user %s 'sf=%sxm=1111%c111ps=bf=/tmp/sample.qmk'\n",
                o.prefix.c_str(), u8(o.user).c_str(), u8(o.profile).c_str(), addressBook ? '1' : '0');
    return 0;
}
