#include "app/ClickToRun.h"

#include <algorithm>
#include <cctype>

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "base/Text.h"
#include "platform/RegistryAccess.h"

namespace qm::app {
namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool startsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

// Suites and applications that hold no Outlook, by how their ids begin.
bool withoutOutlook(const std::string& id) {
    for (const char* other : {"visio", "project", "homestudent", "word", "excel", "powerpoint", "access", "publisher",
                              "onenote", "skypeforbusiness", "lync", "language", "proofing"})
        if (startsWith(id, other)) return true;
    return false;
}

}  // namespace

std::string ClickToRunKeyFor(const std::string& outlookVersion) {
    if (outlookVersion == "16.0") return "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\ClickToRun";
    if (outlookVersion == "15.0") return "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\15.0\\ClickToRun";
    return {};
}

std::string OutlookNameOfProducts(const std::string& productReleaseIds) {
    // The newest product named wins: a subscription is kept up to date.
    static const std::pair<const char*, const char*> kByYear[] = {
        {"2019", "Outlook 2019"}, {"2021", "Outlook 2021"}, {"2024", "Outlook 2024"}};
    int best = -1;
    for (const auto& piece : base::split(productReleaseIds, ',')) {
        const std::string id = lower(base::trimBlanks(piece));
        if (id.empty() || withoutOutlook(id)) continue;
        int rank = -1;
        if (startsWith(id, "o365") || id.find("365") != std::string::npos) rank = 3;
        for (int i = 0; i < 3; ++i)
            if (rank < 0 && id.find(kByYear[i].first) != std::string::npos) rank = i;
        best = std::max(best, rank);
    }
    if (best < 0) return {};
    return best == 3 ? "Outlook for Microsoft 365" : kByYear[best].second;
}

std::string ClickToRunOutlookName(const registry::ModReg& reg) {
    std::string sub = ClickToRunKeyFor("16.0") + "\\Configuration";
    const platform::KeyHandle root = reg.SplitKeyPath(sub);
    std::string ids;
    // The list may be longer than a short string read takes.
    if (root == 0 || !platform::readString(reg.registry(), root, sub, "ProductReleaseIds", ids)) return {};
    return OutlookNameOfProducts(ids);
}

std::string OfficeMachineString(const std::string& outlookVersion, const std::string& subKey,
                                const std::string& valueName, const registry::ModReg& reg) {
    const std::string usual =
        reg.GetStringValue("HKEY_LOCAL_MACHINE\\" + subKey, valueName, OutlookMachineView(outlookVersion, reg));
    const std::string clickToRun = ModernProfiles(outlookVersion) ? ClickToRunKeyFor(outlookVersion) : std::string();
    if (usual != registry::kError || clickToRun.empty()) return usual;

    // Its view of HKLM\SOFTWARE: "REGISTRY\MACHINE\Software\...", with a
    // 32-bit Office's keys under Wow6432Node in a 64-bit Windows.
    const auto slash = subKey.find('\\');
    const std::string below = slash == std::string::npos ? std::string() : subKey.substr(slash + 1);
    const std::string machine = clickToRun + "\\REGISTRY\\MACHINE\\Software\\";
    const bool x86 = base::equalsIgnoreAsciiCase(
        base::trimBlanks(reg.GetStringValue(clickToRun + "\\Configuration", "Platform")), "x86");
    const std::string wow = machine + "Wow6432Node\\" + below, native = machine + below;
    for (const std::string& key : {x86 ? wow : native, x86 ? native : wow}) {
        const std::string value = reg.GetStringValue(key, valueName);
        if (value != registry::kError) return value;
    }
    return registry::kError;
}

}  // namespace qm::app
