#include "sample/SampleInstallation.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "base/WinPath.h"
#include "platform/CodePage.h"
#include "platform/FileOps.h"
#include "platform/Registry.h"
#include "platform/RegistryAccess.h"

namespace qm::sample {

using namespace qm::platform;

namespace {

// The samples are made in Windows-1252.
const CodePage& sampleCodePage() {
    static const CodePage cp;
    return cp;
}

const char* const kProfilesSub =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
const char* const kOutlookSection = "0a0d020000000000c000000000000046";
const char* const kGlobalSection = "13dbb0c8aa05101a9bb000aa002fc45a";
const char* const kAccountsSection = "9375CFF0413111d3B88A00104B2A6676";

// MAPI's store wrapper and the personal-folder provider, as they stand in
// real entry identifiers.
const std::uint8_t kStoreWrapUid[16] = {0x38, 0xA1, 0xBB, 0x10, 0x05, 0xE5, 0x10, 0x1A,
                                        0xA1, 0xBB, 0x08, 0x00, 0x2B, 0x2A, 0x56, 0xC2};
const std::uint8_t kPstUid[16] = {0x4E, 0x49, 0x54, 0x41, 0xF9, 0xBF, 0xB8, 0x01,
                                  0x00, 0xAA, 0x00, 0x37, 0xD9, 0x6E, 0x00, 0x00};
const std::uint8_t kMailboxUid[16] = {0x1B, 0x55, 0xFA, 0x20, 0xAA, 0x66, 0x11, 0xCD,
                                      0x9B, 0xC8, 0x00, 0xAA, 0x00, 0x2F, 0xC4, 0x5A};

std::string bytes(const std::uint8_t* data, std::size_t n) { return std::string(reinterpret_cast<const char*>(data), n); }
std::string zeros(std::size_t n) { return std::string(n, '\0'); }
std::string dword(std::uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

// A section name of 32 lower-case hex digits, the same for the same role.
std::string sectionName(const std::string& seed) {
    std::uint64_t a = 1469598103934665603ull, b = 1099511628211ull ^ 0x9E3779B97F4A7C15ull;
    for (unsigned char c : seed) {
        a = (a ^ c) * 1099511628211ull;
        b = (b ^ c) * 6364136223846793005ull + 1442695040888963407ull;
    }
    char out[33];
    std::snprintf(out, sizeof out, "%016llx%016llx", static_cast<unsigned long long>(a),
                  static_cast<unsigned long long>(b));
    return out;
}

std::string join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

// The OEM code page Windows pairs with an ANSI one.
std::string oemCodePage(const std::string& ansi) {
    static const char* const pairs[][2] = {{"1250", "852"}, {"1251", "866"}, {"1252", "437"}, {"1253", "737"},
                                           {"1254", "857"}, {"1255", "862"}, {"1256", "720"}, {"1257", "775"}};
    for (const auto& p : pairs)
        if (ansi == p[0]) return p[1];
    return ansi;  // 874, 932, 936, 949, 950, 1258: the same number
}

// Registry writes of one build, with the first failure kept.
class RegWriter {
public:
    explicit RegWriter(Registry& reg) : reg_(reg) {}

    void set(KeyHandle root, const std::string& sub, const std::string& name, RegType type, const std::string& data) {
        const RegStatus rc = writeValue(reg_, root, sub, name, type, data);
        if (rc != RegStatus::Success && error.empty())
            error = "cannot write " + sub + " " + name + " (" + std::to_string(static_cast<long>(rc)) + ")";
    }
    void text(KeyHandle root, const std::string& sub, const std::string& name, const std::string& text) {
        set(root, sub, name, RegType::Sz, text + '\0');
    }
    void number(KeyHandle root, const std::string& sub, const std::string& name, std::uint32_t v) {
        set(root, sub, name, RegType::Dword, dword(v));
    }
    void binary(KeyHandle root, const std::string& sub, const std::string& name, const std::string& data) {
        set(root, sub, name, RegType::Binary, data);
    }
    void key(KeyHandle root, const std::string& sub) {
        KeyHandle k = 0;
        if (reg_.RegCreateKeyA(root, sub, &k) == RegStatus::Success)
            reg_.RegCloseKey(k);
        else if (error.empty())
            error = "cannot create " + sub;
    }

    std::string error;

private:
    Registry& reg_;
};

class Builder {
public:
    Builder(const SampleOptions& o, SampleInstallation& made, Registry& registry, FileSystem& files)
        : o_(o), made_(made), registry_(registry), files_(files) {}

    bool run(std::string& error);

private:
    bool shared() const { return o_.outlook == "12.0" || o_.outlook == "14.0"; }
    // 2013 and later: profiles under Office\<version>\Outlook.
    bool modern() const { return o_.outlook == "15.0" || o_.outlook == "16.0"; }
    bool clickToRun() const { return o_.outlook == "16.0"; }
    const CodePage& cp() const { return files_.codePage(); }
    std::string wide(const std::string& text) const { return utf16Z(text, cp()); }
    // A 32-bit Outlook in a 64-bit prefix.
    bool wow() const { return o_.stock && (!modern() || o_.officeBits == "32"); }
    // Where a 32-bit installer's machine-wide keys land in a 64-bit prefix.
    std::string machineKey(const std::string& sub) const {
        return wow() ? "Software\\Wow6432Node\\" + sub.substr(sub.find('\\') + 1) : sub;
    }
    std::string classesKey(const std::string& sub) const {
        return "Software\\Classes\\" + std::string(wow() ? "Wow6432Node\\" : "") + sub;
    }
    std::string sharedFilesDir() const { return programFiles() + "\\Common Files\\Microsoft Shared\\"; }
    std::string programFiles() const { return wow() ? "C:\\Program Files (x86)" : "C:\\Program Files"; }
    std::string profilesSub() const {
        return modern() ? "Software\\Microsoft\\Office\\" + o_.outlook + "\\Outlook\\Profiles" : kProfilesSub;
    }
    // Where 2013 and later make new data files.
    std::string outlookFiles() const { return made_.userProfileFolder + "\\Documents\\Outlook Files"; }
    bool vistaLayout() const { return o_.stock || o_.windows == "6.1"; }
    std::string major() const { return o_.outlook.substr(0, o_.outlook.find('.')); }

    void file(const std::string& windowsPath, const std::string& content);
    void files();
    void profile(RegWriter& w, const std::string& name, bool first);
    void modernStores(RegWriter& w, SampleProfile& prof, const std::string& key, bool first);
    void profileAccounts(RegWriter& w, SampleProfile& prof, const std::string& key, bool first);
    void accounts(RegWriter& w);
    void machine(RegWriter& w);
    void clickToRunMachine(RegWriter& w);
    void options(RegWriter& w);

    const SampleOptions& o_;
    SampleInstallation& made_;
    Registry& registry_;
    FileSystem& files_;
    std::string roaming_;  // ...\AppData\Roaming or ...\Application Data
    std::string local_;    // ...\AppData\Local or ...\Local Settings\Application Data
    std::string fileError_;
};

void Builder::file(const std::string& windowsPath, const std::string& content) {
    const std::string folder = base::parentFolder(windowsPath, cp().leadBytes());
    if ((!makeFolders(files_, folder) || !files_.writeFile(windowsPath, content)) && fileError_.empty())
        fileError_ = "cannot write " + windowsPath;
}

void Builder::files() {
    const std::string& u = o_.user;
    const bool v14 = shared();

    // Signatures, with the folder of pictures Outlook makes beside them.
    const std::string sig = made_.signaturesFolder;
    const std::string html = "<html><body><p>" + u + "<br>Example Trading Ltd.</p><img src=\"" + u +
                             "_files/image001.png\"></body></html>\r\n";
    file(join(sig, u + ".htm"), html);
    file(join(sig, u + ".rtf"), "{\\rtf1\\ansi " + u + "\\par Example Trading Ltd.\\par}\r\n");
    file(join(sig, u + ".txt"), u + "\r\nExample Trading Ltd.\r\n");
    file(join(sig, u + "_files\\filelist.xml"), "<xml><o:MainFile HRef=\"../" + u + ".htm\"/></xml>\r\n");
    file(join(sig, u + "_files\\image001.png"), "\x89PNG\r\n\x1a\n" + pstFileBytes(512, 7, false).substr(16));
    made_.signatureFiles = {u + ".htm", u + ".rtf", u + ".txt"};
    made_.signatureFolderFiles = {u + "_files/filelist.xml", u + "_files/image001.png"};

    // Stationery: the Office installation's shared folder for 2007 and
    // 2010, the user's own folder before; both from 2013 on.
    // Written where the folder really is: the user's one is reached through
    // "Application Data", which a stock prefix has only as Windows' junction.
    const std::string sta = v14 ? made_.stationeryFolder : join(roaming_, "Microsoft\\Stationery");
    const std::string office = v14 ? made_.stationeryFolder : made_.sharedStationeryFolder;
    if (v14 || modern()) {
        if (modern()) {
            file(join(sta, "Mine.htm"), "<html><body background=\"Mine.jpg\"></body></html>\r\n");
            file(join(sta, "Mine.jpg"), "\xFF\xD8\xFF\xE0" + pstFileBytes(1536, 14, false).substr(16));
            made_.stationeryFiles = {"Mine.htm", "Mine.jpg"};
        }
        file(join(office, "Clear Day.htm"), "<html><body background=\"Clear Day Bkgrd.jpg\"></body></html>\r\n");
        file(join(office, "Clear Day Bkgrd.jpg"), "\xFF\xD8\xFF\xE0" + pstFileBytes(2048, 11, false).substr(16));
        file(join(office, "Ivy.htm"), "<html><body background=\"Ivy.gif\"></body></html>\r\n");
        file(join(office, "Ivy.gif"), "GIF89a" + pstFileBytes(1024, 12, false).substr(16));
        for (const char* name : {"Clear Day.htm", "Clear Day Bkgrd.jpg", "Ivy.htm", "Ivy.gif"})
            made_.stationeryFiles.push_back(name);
    } else {
        file(join(sta, "Memo.htm"), "<html><body><h1>Memo</h1></body></html>\r\n");
        file(join(sta, "Memo Bkgrd.gif"), "GIF89a" + pstFileBytes(1024, 13, false).substr(16));
        made_.stationeryFiles = {"Memo.htm", "Memo Bkgrd.gif"};
    }

    const std::string tpl = made_.templatesFolder;
    const std::string ext = v14 || modern() ? ".dotm" : ".dot";
    file(join(tpl, "Normal" + ext), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + pstFileBytes(4096, 21, false).substr(16));
    file(join(tpl, "NormalEmail" + ext), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + pstFileBytes(4096, 22, false).substr(16));
    made_.templateFiles = {"Normal" + ext, "NormalEmail" + ext};
    if (modern()) {
        file(join(tpl, "Meeting notes.oft"),
             "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + pstFileBytes(3072, 23, false).substr(16));
        made_.templateFiles.push_back("Meeting notes.oft");
    }

    const std::string out = made_.outlookFolder;
    // Outlook 2013 and later keep the rules in the store and the favourites
    // in the navigation file.
    if (!modern()) {
        file(join(out, "outcmd.dat"), pstFileBytes(1536, 31, false).substr(16));
        made_.preferenceFiles.push_back("outcmd.dat");
    }
    file(join(out, "VbaProject.OTM"), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + pstFileBytes(2048, 32, false).substr(16));
    made_.preferenceFiles.push_back("VbaProject.OTM");
    unsigned seed = 40;
    for (auto& prof : made_.profiles) {
        if (!modern()) {
            file(prof.rulesFile,
                 std::string("\0\0\0\0RWZ ", 8) + prof.name + "\r\n" + pstFileBytes(800, ++seed, false).substr(16));
            file(prof.favoritesFile, pstFileBytes(300, ++seed, false).substr(16));
            made_.preferenceFiles.push_back(prof.name + ".RWZ");
            made_.preferenceFiles.push_back(prof.name + ".FAV");
        }
        const bool xml = v14 || modern();
        const std::string extra = prof.name + (xml ? ".xml" : ".NK2");
        file(join(out, extra), xml ? "<?xml version=\"1.0\"?><navpane/>\r\n" : pstFileBytes(600, ++seed, false));
        made_.preferenceFiles.push_back(extra);

        std::size_t k = 0;
        for (const auto& data : prof.dataFiles)
            file(data, pstFileBytes(k++ == 0 ? 320 * 1024 : 192 * 1024, ++seed, v14 || modern()));
        for (const auto& pab : prof.addressBooks) file(pab, pstFileBytes(64 * 1024, ++seed, false, "AB"));
        for (const auto& cache : prof.cacheFiles) file(cache, pstFileBytes(96 * 1024, ++seed, true, "SO"));
    }
}

void Builder::profile(RegWriter& w, const std::string& name, bool first) {
    const KeyHandle cu = RootKey::CurrentUser;
    const std::string key = profilesSub() + "\\" + name;
    SampleProfile prof;
    prof.name = name;
    prof.key = "HKEY_CURRENT_USER\\" + key;
    prof.outlookSection = prof.key + "\\" + kOutlookSection;
    prof.rulesFile = join(made_.outlookFolder, name + ".RWZ");
    prof.favoritesFile = join(made_.outlookFolder, name + ".FAV");

    // Outlook's own section; the restore drops its two cached values.
    const std::string outlook = key + "\\" + kOutlookSection;
    w.binary(cu, outlook, "1102039b", bytes(kStoreWrapUid, 16) + dword(0x0001));
    w.binary(cu, outlook, "001e023d", ansiZ(name));
    w.binary(cu, outlook, "000b0335", std::string("\x01\x00", 2));
    w.binary(cu, outlook, "00030354", dword(1));

    w.binary(cu, key + "\\" + kGlobalSection, "00033e03", dword(0));
    w.binary(cu, key + "\\" + kGlobalSection, "001e6602", ansiZ(name));

    const bool v14 = shared();
    if (modern()) {
        modernStores(w, prof, key, first);
    } else {
        auto store = [&](const std::string& role, const std::string& path, bool unicode, const std::string& display) {
            const std::string section = sectionName(o_.user + "/" + name + "/" + role);
            const std::string sk = key + "\\" + section;
            w.binary(cu, sk, "01020fff", pstStoreEntryId(path, unicode, cp()));
            w.binary(cu, sk, "001e6700", ansiZ(path));
            if (unicode) w.binary(cu, sk, "001f6700", wide(path));
            w.binary(cu, sk, "001f3001", wide(display));
            w.binary(cu, sk, "00033009", dword(0x20));
            prof.dataFiles.push_back(path);
            prof.storeSections.push_back(prof.key + "\\" + section);
        };
        if (first) {
            const std::string main = join(join(local_, "Microsoft\\Outlook"),
                                          v14 ? o_.user + "@example.org.pst" : std::string("Outlook.pst"));
            store("main", main, v14, "Personal Folders");
            // A second file on another drive (where there is one), named in ANSI.
            store("archive", o_.stock ? "C:\\Mail\\Archive.pst" : "D:\\Mail\\Archive.pst", false, "Archive Folders");
        } else {
            store("main", join(join(local_, "Microsoft\\Outlook"), name + ".pst"), true, name);
            // A server mailbox: a store without a file.
            const std::string sk = key + "\\" + sectionName(o_.user + "/" + name + "/mailbox");
            w.binary(cu, sk, "01020fff",
                     serverStoreEntryId("MAIL01", "/o=Example/ou=Mail/cn=Recipients/cn=" + o_.user));
            w.binary(cu, sk, "001f3001", wide("Mailbox - " + o_.user));
        }
    }

    if (!v14 && !modern()) {
        // Personal address books; one path stored with doubled separators,
        // as some profiles carry them.
        const std::string pab = join(join(local_, "Microsoft\\Outlook"), o_.user + ".pab");
        const std::string pabKey = key + "\\" + sectionName(o_.user + "/" + name + "/pab");
        w.text(cu, pabKey, "001e6600", pab);
        w.binary(cu, pabKey, "001e3001", ansiZ("Personal Address Book"));
        prof.addressBooks.push_back(pab);
        if (first) {
            const std::string doubled = o_.stock ? "C:\\\\Mail\\\\Contacts.pab" : "D:\\\\Mail\\\\Contacts.pab";
            const std::string k2 = key + "\\" + sectionName(o_.user + "/" + name + "/pab2");
            w.text(cu, k2, "001e6600", doubled);
            w.binary(cu, k2, "001e3001", ansiZ("Shared Contacts"));
            prof.addressBooks.push_back(o_.stock ? "C:\\Mail\\Contacts.pab" : "D:\\Mail\\Contacts.pab");
        }
    } else {
        profileAccounts(w, prof, key, first);
    }
    made_.profiles.push_back(prof);
}

// The stores of a profile as Outlook 2013 and later keep them: Unicode data
// files named by "001f6700" beside the entry identifier (no ANSI path), and
// the offline caches of server mailboxes: an IMAP account's (a store whose
// path ends in ".ost") in the first profile, an Exchange mailbox's
// ("001f6610") as the only store of the second.
void Builder::modernStores(RegWriter& w, SampleProfile& prof, const std::string& key, bool first) {
    const KeyHandle cu = RootKey::CurrentUser;
    const std::string& name = prof.name;
    auto section = [&](const std::string& role) { return sectionName(o_.user + "/" + name + "/" + role); };
    auto store = [&](const std::string& role, const std::string& path, const std::string& display, bool cache) {
        const std::string sk = key + "\\" + section(role);
        w.binary(cu, sk, "01020fff", pstStoreEntryId(path, true, cp()));
        w.binary(cu, sk, "001f6700", wide(path));
        w.binary(cu, sk, "001f3001", wide(display));
        w.binary(cu, sk, "00033009", dword(cache ? 0x1020 : 0x20));
        (cache ? prof.cacheFiles : prof.dataFiles).push_back(path);
        (cache ? prof.cacheSections : prof.storeSections).push_back("HKEY_CURRENT_USER\\" + sk);
    };
    const std::string localOutlook = join(local_, "Microsoft\\Outlook");
    if (first) {
        store("main", join(outlookFiles(), o_.user + "@example.org.pst"), "Personal Folders", false);
        store("archive", o_.stock ? "C:\\Mail\\Archive.pst" : "D:\\Mail\\Archive.pst", "Archive Folders", false);
        store("imap", join(localOutlook, o_.user + "@imap.example.org.ost"), o_.user + "@imap.example.org", true);
        return;
    }
    const std::string sk = key + "\\" + section("mailbox");
    const std::string ost = join(localOutlook, o_.user + "@example.org - " + name + ".ost");
    w.binary(cu, sk, "01020fff", serverStoreEntryId("MAIL01", "/o=Example/ou=Mail/cn=Recipients/cn=" + o_.user));
    w.binary(cu, sk, "001f3001", wide("Mailbox - " + o_.user));
    w.binary(cu, sk, "001f6610", wide(ost));
    prof.cacheFiles.push_back(ost);
    prof.cacheSections.push_back("HKEY_CURRENT_USER\\" + sk);
}

// Internet accounts of 2007 and later live in the profile, their names and
// servers as UTF-16 binaries; from 2013 on a POP account delivers into a
// data file its "Delivery Store EntryID" names, an IMAP account into its
// cache, and an Exchange mailbox is an account of its own.
void Builder::profileAccounts(RegWriter& w, SampleProfile& prof, const std::string& key, bool first) {
    const KeyHandle cu = RootKey::CurrentUser;
    const std::string acc = key + "\\" + kAccountsSection;
    prof.accountsKey = "HKEY_CURRENT_USER\\" + acc;
    w.binary(cu, acc, "{ED475418-B0D6-11D2-8C3B-00104B2A6676}", dword(1) + dword(2));
    w.number(cu, acc, "NextAccountID", 3);
    w.binary(cu, acc, "LastChangeVer", std::string("\x05\x00\x00\x00\x00\x00\x00\x00", 8));
    if (modern() && !first) {
        const std::string a = acc + "\\00000001";
        w.text(cu, a, "clsid", "{ED475414-B0D6-11D2-8C3B-00104B2A6676}");
        w.binary(cu, a, "Account Name", wide(o_.user + "@example.org"));
        w.binary(cu, a, "Display Name", wide(o_.user));
        w.number(cu, a, "Mini UID", 0x5A5A0010u);
        return;
    }
    const char* servers[2][2] = {{"pop.example.org", "POP3 Server"}, {"imap.example.org", "IMAP Server"}};
    for (int i = 0; i < 2; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%08d", i + 1);
        const std::string a = acc + "\\" + id;
        const std::string mail = (i == 0 ? o_.user : o_.user + ".work") + "@example.org";
        w.text(cu, a, "clsid", "{ED475411-B0D6-11D2-8C3B-00104B2A6676}");
        w.binary(cu, a, "Account Name", wide(mail));
        w.binary(cu, a, "Display Name", wide(o_.user));
        w.binary(cu, a, "Email", wide(mail));
        w.binary(cu, a, servers[i][1], wide(servers[i][0]));
        w.binary(cu, a, "SMTP Server", wide("smtp.example.org"));
        w.number(cu, a, "Mini UID", 0x5A5A0000u + static_cast<std::uint32_t>(i));
        if (modern()) {
            const std::string& into = i == 0 ? prof.dataFiles.front() : prof.cacheFiles.front();
            w.binary(cu, a, "Delivery Store EntryID", pstStoreEntryId(into, true, cp()));
        }
    }
}

void Builder::accounts(RegWriter& w) {
    // Outlook 2003 and before: the Internet Account Manager.
    const KeyHandle cu = RootKey::CurrentUser;
    const std::string base = "Software\\Microsoft\\Office\\Outlook\\OMI Account Manager";
    w.text(cu, base, "Default Mail Account", "00000001");
    w.number(cu, base, "Account Name", 3);
    const std::string a1 = base + "\\Accounts\\00000001";
    w.text(cu, a1, "Account Name", "pop.example.org");
    w.number(cu, a1, "Connection Type", 3);
    w.text(cu, a1, "POP3 Server", "pop.example.org");
    w.text(cu, a1, "POP3 User Name", o_.user);
    w.text(cu, a1, "SMTP Server", "smtp.example.org");
    w.text(cu, a1, "SMTP Display Name", o_.user);
    w.text(cu, a1, "SMTP Email Address", o_.user + "@example.org");
    w.binary(cu, a1, "POP3 Password2", std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
    const std::string a2 = base + "\\Accounts\\00000002";
    w.text(cu, a2, "Account Name", "imap.example.org");
    w.number(cu, a2, "Connection Type", 3);
    w.text(cu, a2, "IMAP Server", "imap.example.org");
    w.text(cu, a2, "IMAP User Name", o_.user + ".work");
    w.text(cu, a2, "SMTP Server", "smtp.example.org");
    w.text(cu, a2, "SMTP Email Address", o_.user + ".work@example.org");
}

void Builder::options(RegWriter& w) {
    const KeyHandle cu = RootKey::CurrentUser;
    const std::string base = "Software\\Microsoft\\Office\\" + o_.outlook + "\\Outlook";
    w.number(cu, base + "\\Options\\Mail", "Send Mail Immediately", 1);
    w.number(cu, base + "\\Options\\Mail", "EditorPreference", 0x20001);
    w.number(cu, base + "\\Options\\Mail", "Message Plain Format Mime", 1);
    w.number(cu, base + "\\Options\\Calendar", "FirstDOW", 1);
    w.number(cu, base + "\\Options\\Calendar", "CalDefStart", 480);
    w.text(cu, base + "\\Options\\General", "PONT_STRING", "32,");
    w.number(cu, base + "\\Options\\Spelling", "Check", 1);
    w.text(cu, base + "\\Setup", "First-Run", "");
    if (modern()) {
        const std::string office = "Software\\Microsoft\\Office\\" + o_.outlook;
        w.text(cu, base, "DefaultProfile", o_.profile);
        w.number(cu, base + "\\Preferences", "ShowReadingPane", 1);
        if (o_.outlook == "16.0") w.number(cu, base + "\\Preferences", "UseNewOutlook", o_.newOutlook ? 1 : 0);
        w.text(cu, office + "\\Common\\MailSettings", "NewSignature", o_.user);
        w.text(cu, office + "\\Common\\MailSettings", "ReplySignature", o_.user);
        w.text(cu, office + "\\Common\\General", "Signatures", "Signatures");
        w.text(cu, office + "\\Common\\General", "Stationery", "Stationery");
    }
    // wineboot leaves the version to Wine's default (Windows 10 for Wine 8).
    if (!o_.stock) w.text(cu, "Software\\Wine", "Version", o_.windows == "6.1" ? "win7" : "winxp");
}

void Builder::machine(RegWriter& w) {
    const KeyHandle lm = RootKey::LocalMachine;
    // What Wine keeps for the Windows version it was set to.
    const std::string cv = "Software\\Microsoft\\Windows NT\\CurrentVersion";
    if (o_.stock) {
        w.number(lm, cv, "CurrentMajorVersionNumber", 10);
        w.number(lm, cv, "CurrentMinorVersionNumber", 0);
        w.text(lm, cv, "CurrentVersion", "6.3");
        w.text(lm, cv, "CurrentBuild", "19045");
        w.text(lm, cv, "CurrentBuildNumber", "19045");
        w.text(lm, cv, "ProductName", "Windows 10 Pro");
        w.text(lm, cv, "CurrentType", "Multiprocessor Free");
        w.text(lm, cv, "InstallationType", "Client");
    } else if (o_.windows == "6.1") {
        w.text(lm, cv, "CurrentVersion", "6.1");
        w.text(lm, cv, "CurrentBuild", "7601");
        w.text(lm, cv, "CurrentBuildNumber", "7601");
        w.text(lm, cv, "CSDVersion", "Service Pack 1");
        w.text(lm, cv, "ProductName", "Windows 7");
        w.text(lm, cv, "CurrentType", "Multiprocessor Free");
        w.text(lm, cv, "InstallationType", "Client");
    } else {
        w.text(lm, cv, "CurrentVersion", "5.1");
        w.text(lm, cv, "CurrentBuildNumber", "2600");
        w.text(lm, cv, "CSDVersion", "Service Pack 3");
        w.text(lm, cv, "ProductName", "Microsoft Windows XP");
        w.text(lm, cv, "CurrentType", "Uniprocessor Free");
    }
    w.text(lm, cv, "SystemRoot", "C:\\windows");
    w.text(lm, cv, "RegisteredOwner", o_.user);
    w.text(lm, cv, "RegisteredOrganization", "");

    // The automation class Outlook registers; the version is read from it.
    const std::string clsid = "{0006F03A-0000-0000-C000-000000000046}";
    const std::string progId = "Outlook.Application." + major();
    w.text(lm, classesKey("Outlook.Application"), "", "Microsoft Outlook Application");
    w.text(lm, classesKey("Outlook.Application\\CLSID"), "", clsid);
    w.text(lm, classesKey("Outlook.Application\\CurVer"), "", progId);
    w.text(lm, classesKey(progId), "", "Microsoft Outlook Application");
    w.text(lm, classesKey(progId + "\\CLSID"), "", clsid);

    if (clickToRun()) {
        clickToRunMachine(w);
    } else {
        w.text(lm, machineKey("SOFTWARE\\Microsoft\\Shared Tools"), "SharedFilesDir", sharedFilesDir());
        const std::string office = programFiles() + "\\Microsoft Office\\Office" + major() + "\\";
        w.text(lm, machineKey("Software\\Microsoft\\Office\\" + o_.outlook + "\\Outlook\\InstallRoot"), "Path", office);
        w.text(lm, machineKey("Software\\Microsoft\\Office\\" + o_.outlook + "\\Common\\InstallRoot"), "Path", office);
        if (modern())
            w.text(lm, machineKey("Software\\Microsoft\\Office\\" + o_.outlook + "\\Outlook"), "Bitness",
                   wow() || !o_.stock ? "x86" : "x64");
    }

    // The code pages of the prefix's locale, where Wine keeps them.
    const std::string nls = "System\\CurrentControlSet\\Control\\Nls\\Codepage";
    w.text(lm, nls, "ACP", o_.codePage);
    w.text(lm, nls, "OEMCP", oemCodePage(o_.codePage));
}

// Click-to-Run (Office 2016 and later): its configuration in the 64-bit
// registry, whatever Office's own; the machine-wide keys of Office in its
// own view of the machine (a 32-bit Office's under Wow6432Node there), not
// where an installer writes them; the automation class published to the
// machine's classes too, so that other programs find Outlook.
void Builder::clickToRunMachine(RegWriter& w) {
    const KeyHandle lm = RootKey::LocalMachine;
    const std::string c2r = "Software\\Microsoft\\Office\\ClickToRun";
    static const std::pair<const char*, const char*> kReleases[] = {{"2016", "ProPlusRetail"},
                                                                    {"2019", "ProPlus2019Retail"},
                                                                    {"2021", "ProPlus2021Retail"},
                                                                    {"2024", "ProPlus2024Retail"},
                                                                    {"365", "O365ProPlusRetail,VisioPro2019Retail"}};
    std::string ids;
    for (const auto& r : kReleases)
        if (o_.release == r.first) ids = r.second;
    const std::string root = programFiles() + "\\Microsoft Office";
    w.text(lm, c2r + "\\Configuration", "ProductReleaseIds", ids);
    w.text(lm, c2r + "\\Configuration", "Platform", wow() || !o_.stock ? "x86" : "x64");
    w.text(lm, c2r + "\\Configuration", "VersionToReport", "16.0.17328.20162");
    w.text(lm, c2r + "\\Configuration", "InstallationPath", root);
    w.text(lm, c2r, "PackageFolder", root);

    const std::string machine = c2r + "\\REGISTRY\\MACHINE\\Software\\" + (wow() ? "Wow6432Node\\" : "");
    w.text(lm, machine + "Microsoft\\Shared Tools", "SharedFilesDir", sharedFilesDir());
    const std::string office = root + "\\root\\Office16\\";
    w.text(lm, machine + "Microsoft\\Office\\16.0\\Outlook", "Bitness", wow() || !o_.stock ? "x86" : "x64");
    w.text(lm, machine + "Microsoft\\Office\\16.0\\Outlook\\InstallRoot", "Path", office);
    w.text(lm, machine + "Microsoft\\Office\\16.0\\Common\\InstallRoot", "Path", office);
    const std::string classes = c2r + "\\REGISTRY\\MACHINE\\Software\\Classes\\";
    w.text(lm, classes + "Outlook.Application\\CurVer", "", "Outlook.Application.16");
    w.text(lm, classes + "Outlook.Application.16\\CLSID", "", "{0006F03A-0000-0000-C000-000000000046}");
}

bool Builder::run(std::string& error) {
    made_ = SampleInstallation();
    made_.userProfileFolder = "C:\\users\\" + o_.user;
    if (vistaLayout()) {
        roaming_ = made_.userProfileFolder + "\\AppData\\Roaming";
        local_ = made_.userProfileFolder + "\\AppData\\Local";
    } else {
        roaming_ = made_.userProfileFolder + "\\Application Data";
        local_ = made_.userProfileFolder + "\\Local Settings\\Application Data";
    }
    made_.outlookFolder = roaming_ + "\\Microsoft\\Outlook";
    made_.localOutlookFolder = local_ + "\\Microsoft\\Outlook";
    made_.signaturesFolder = roaming_ + "\\Microsoft\\Signatures";
    made_.templatesFolder = roaming_ + "\\Microsoft\\Templates";
    made_.stationeryFolder = shared()   ? sharedFilesDir() + "Stationery"
                             : modern() ? roaming_ + "\\Microsoft\\Stationery"
                                        : made_.userProfileFolder + "\\Application Data\\Microsoft\\Stationery";
    if (modern()) made_.sharedStationeryFolder = sharedFilesDir() + "Stationery";

    RegWriter w(registry_);
    if (!modern()) w.text(RootKey::CurrentUser, kProfilesSub, "DefaultProfile", o_.profile);
    profile(w, o_.profile, true);
    if (!o_.secondProfile.empty()) profile(w, o_.secondProfile, false);
    if (!shared() && !modern()) accounts(w);
    options(w);
    machine(w);
    if (!w.error.empty()) {
        error = w.error;
        return false;
    }

    files();
    file(join(made_.userProfileFolder, vistaLayout() ? "Documents\\readme.txt" : "My Documents\\readme.txt"),
         "A sample Outlook installation.\r\n");
    if (!fileError_.empty()) {
        error = fileError_;
        return false;
    }
    return true;
}

bool validName(const std::string& name, const base::LeadBytes& leads) {
    if (name.empty() || leads.findFirstOf(name, "\\/:*?\"<>|") != std::string::npos) return false;
    return name != "." && name != "..";
}

}  // namespace

std::string sampleHostPath(const std::string& prefix, const std::string& windowsPath) {
    return sampleHostPath(prefix, windowsPath, sampleCodePage());
}

std::string sampleHostPath(const std::string& prefix, const std::string& windowsPath, const CodePage& codePage) {
    std::string host;
    std::string rest;
    if (windowsPath.rfind("\\\\", 0) == 0) {
        host = prefix + "/dosdevices/unc";
        rest = windowsPath.substr(2);
    } else if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
        const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
        if (d == 'z') {
            host = "";
        } else if (d == 'c' || d == 'd') {
            host = prefix + "/drive_" + d;
        } else {
            return {};
        }
        rest = windowsPath.substr(2);
    } else {
        return {};
    }
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = codePage.leadBytes().findFirstOf(rest, "\\", start);
        if (end == std::string::npos) end = rest.size();
        const std::string part = rest.substr(start, end - start);
        if (!part.empty()) host += "/" + codePage.toUtf8(part);
        start = end + 1;
    }
    return host.empty() ? "/" : host;
}

std::string ansiZ(const std::string& text) { return text + '\0'; }

std::string utf16Z(const std::string& text) { return utf16Z(text, sampleCodePage()); }

std::string utf16Z(const std::string& text, const CodePage& codePage) {
    std::string out;
    for (char16_t unit : codePage.toUtf16(text)) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out + zeros(2);
}

std::string pstStoreEntryId(const std::string& path, bool unicode) {
    return pstStoreEntryId(path, unicode, sampleCodePage());
}

std::string pstStoreEntryId(const std::string& path, bool unicode, const CodePage& codePage) {
    std::string id = zeros(4) + bytes(kStoreWrapUid, 16) + zeros(2) + ansiZ("mspst.dll");
    id += zeros(4) + bytes(kPstUid, 16);
    // The wrapped identifier's own flags: Unicode files say so.
    id += dword(unicode ? 0x00000002u : 0u);
    id += unicode ? utf16Z(path, codePage) : ansiZ(path);
    return id + zeros(unicode ? 2 : 1);
}

std::string serverStoreEntryId(const std::string& server, const std::string& mailboxDn) {
    std::string id = zeros(4) + bytes(kStoreWrapUid, 16) + zeros(2) + ansiZ("EMSMDB.DLL");
    id += zeros(4) + bytes(kMailboxUid, 16) + dword(0x0C) + ansiZ(server) + ansiZ(mailboxDn);
    return id;
}

std::string pstFileBytes(std::size_t size, unsigned seed, bool unicode, const std::string& clientMagic) {
    std::string out(size, '\0');
    std::uint32_t x = 2463534242u ^ (seed * 2654435761u);
    // Blocks of noise between empty pages, like a half-used file.
    for (std::size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        if ((i / 4096) % 3 != 2) out[i] = static_cast<char>(x & 0xFF);
    }
    const std::string header = std::string("!BDN") + dword(x) + clientMagic.substr(0, 2) +
                               std::string(1, static_cast<char>(unicode ? 23 : 14)) + std::string(1, '\0') +
                               std::string("\x13\x00\x01\x01", 4);
    out.replace(0, std::min(size, header.size()), header.substr(0, std::min(size, header.size())));
    if (size < 528) return out;
    // A file Outlook closed cleanly: the size it records is its own, its
    // allocation map is valid, and both header checksums match.
    auto put = [&](std::size_t offset, std::uint64_t v, std::size_t bytes) {
        for (std::size_t i = 0; i < bytes; ++i) out[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto crc = [&](std::size_t from, std::size_t length) {
        // The format's CRC: table CRC-32 seeded with 0, no final inversion.
        const auto* p = reinterpret_cast<const Bytef*>(out.data() + from);
        return ~static_cast<std::uint32_t>(crc32_z(0xFFFFFFFFul, p, length));
    };
    if (unicode) {
        put(184, size, 8);  // ibFileEof
        put(248, 2, 1);     // fAMapValid
    } else {
        put(168, size, 4);
        put(200, 2, 1);
    }
    put(4, crc(8, 471), 4);
    if (unicode) put(524, crc(8, 516), 4);
    return out;
}

bool checkSampleOptions(const SampleOptions& options, std::string& error) {
    const bool modern = options.outlook == "15.0" || options.outlook == "16.0";
    if (options.outlook != "11.0" && options.outlook != "12.0" && options.outlook != "14.0" && !modern) {
        error = "Outlook version " + options.outlook + " is not one of 11.0, 12.0, 14.0, 15.0, 16.0";
        return false;
    }
    if (options.windows != "6.1" && options.windows != "5.1") {
        error = "Windows version " + options.windows + " is not one of 6.1, 5.1";
        return false;
    }
    if (modern && !options.stock && options.windows != "6.1") {
        error = "Outlook " + options.outlook + " needs Windows 7 or later (--windows 6.1 or --stock)";
        return false;
    }
    const std::string releases[] = {"2016", "2019", "2021", "2024", "365"};
    if (std::find(std::begin(releases), std::end(releases), options.release) == std::end(releases)) {
        error = "release " + options.release + " is not one of 2016, 2019, 2021, 2024, 365";
        return false;
    }
    if (options.officeBits != "32" && options.officeBits != "64") {
        error = "Office is 32 or 64 bits, not " + options.officeBits;
        return false;
    }
    CodePage codePage;
    if (!codePage.select(options.codePage)) {
        error = "code page " + options.codePage + " is not one the system can convert";
        return false;
    }
    const base::LeadBytes& leads = codePage.leadBytes();
    if (!validName(options.user, leads)) {
        error = "\"" + options.user + "\" cannot be a user name";
        return false;
    }
    if (!validName(options.profile, leads) ||
        (!options.secondProfile.empty() && !validName(options.secondProfile, leads))) {
        error = "a profile name cannot hold \\ / : * ? \" < > |";
        return false;
    }
    if (options.secondProfile == options.profile) {
        error = "the two profiles need different names";
        return false;
    }
    return true;
}

bool buildSample(const SampleOptions& options, Platform& platform, SampleInstallation& made, std::string& error) {
    if (!checkSampleOptions(options, error)) return false;
    // The installation's services convert the names: in the sample's code page.
    CodePage wanted;
    wanted.select(options.codePage);
    if (platform.codePage && platform.codePage->name() != wanted.name()) {
        error = "the installation's code page is " + platform.codePage->name() + ", not the sample's " + wanted.name();
        return false;
    }
    Builder builder(options, made, *platform.registry, *platform.files);
    return builder.run(error);
}

}  // namespace qm::sample
