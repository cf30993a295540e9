// The window's commands around its runs: another installation opened in
// its place, the help and the web page.
#include "frontend/Installation.h"
#include "runs/MainPresenter.h"
#include "runs/Texts.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

void MainPresenter::OpenAnotherInstallation() {
    if (s_.running()) return;
    if (!context_.openInstallation) {
        view_.showMessage(text::kOnlyThisInstallation, Icon::Information, Buttons::Ok);
        return;
    }
    const std::string folder = view_.chooseFolder(text::kOpenInstallationTitle, context_.place.prefix);
    if (folder.empty()) return;
    std::vector<std::string> users;
    std::string why;
    if (!platform::installationUsers(folder, users, why)) {
        view_.showMessage(text::kCannotOpenInstallation + why, Icon::Critical, Buttons::Ok);
        return;
    }
    platform::InstallationPlace place{folder, context_.place.user};
    if (users.empty()) {
        view_.showMessage(text::kCannotOpenInstallation + frontend::NoSuchUserText(place, users), Icon::Critical,
                          Buttons::Ok);
        return;
    }
    // The same user when the prefix has one of that name; the only one
    // without asking.
    std::string current = users.front();
    for (const auto& user : users)
        if (user == context_.place.user) current = user;
    place.user = users.size() == 1
                     ? current
                     : view_.chooseFromList(text::kChooseUserTitle, text::kChooseUserLabel, users, current);
    if (place.user.empty()) return;

    platform::PlatformOptions options = context_.options;
    options.prefix = place.prefix;
    options.userName = place.user;
    // The code page chosen for one prefix is not the other's.
    options.codePage.clear();
    if (!context_.openInstallation(options, why))
        view_.showMessage(text::kCannotOpenInstallation + why, Icon::Critical, Buttons::Ok);
}

void MainPresenter::ShowHelp() {
    if (context_.shell && context_.shell->openHelp(context_.helpFile)) return;
    view_.showHelpWindow(context_.helpFile);
}

void MainPresenter::ShowWebsite() {
    if (context_.shell && context_.shell->openWebPage(context_.website)) return;
    view_.showMessage(text::kNoBrowserBefore + context_.website, Icon::Information, Buttons::Ok);
}

}  // namespace qm::runs
