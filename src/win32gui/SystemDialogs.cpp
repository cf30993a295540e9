#include "win32gui/SystemDialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <deque>

#include "win32gui/Dialog.h"
#include "win32gui/Text.h"

namespace qm::win32gui {
namespace {

struct Hooks {
    std::deque<app::Answer> answers;
    std::optional<app::Answer> unasked;
    std::vector<std::string> shown;
    std::deque<std::string> fileNames;
    std::deque<int> menuChoices;
};

Hooks& hooks() {
    static Hooks h;
    return h;
}

UINT iconStyle(app::Icon icon) {
    switch (icon) {
        case app::Icon::Information:
            return MB_ICONINFORMATION;
        case app::Icon::Exclamation:
            return MB_ICONEXCLAMATION;
        case app::Icon::Critical:
            return MB_ICONERROR;
        case app::Icon::Question:
            return MB_ICONQUESTION;
        case app::Icon::None:
            break;
    }
    return 0;
}

std::optional<std::string> hookedFileName() {
    if (hooks().fileNames.empty()) return std::nullopt;
    std::string name = hooks().fileNames.front();
    hooks().fileNames.pop_front();
    return name;
}

// What the common dialogs share: owner, title, filter, a buffer long enough
// for any path.
struct FileDialog {
    FileDialog(HWND owner, const std::string& title, const std::string& filter, const std::string& proposed)
        : titleText(wide(title)), filterText(commonDialogFilter(filter)), path(32768, L'\0') {
        const std::wstring start = wide(proposed);
        start.copy(path.data(), std::min(start.size(), path.size() - 1));
        box.lStructSize = sizeof box;
        box.hwndOwner = owner;
        box.lpstrFilter = filterText.c_str();
        box.nFilterIndex = 1;
        box.lpstrFile = path.data();
        box.nMaxFile = static_cast<DWORD>(path.size());
        box.lpstrTitle = titleText.c_str();
        box.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    }
    std::string chosen() const { return utf8(path.c_str()); }

    std::wstring titleText;
    std::wstring filterText;
    std::wstring path;
    OPENFILENAMEW box{};
};

}  // namespace

std::wstring commonDialogFilter(const std::string& filter) {
    std::wstring out = wide(filter);
    for (wchar_t& c : out)
        if (c == L'|') c = L'\0';
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

app::Answer SystemDialogs::message(HWND owner, const std::string& text, app::Icon icon, app::Buttons buttons) {
    Hooks& h = hooks();
    h.shown.push_back(text);
    if (!h.answers.empty()) {
        const app::Answer answer = h.answers.front();
        h.answers.pop_front();
        return answer;
    }
    if (h.unasked) return *h.unasked;
    const UINT style = iconStyle(icon) | (buttons == app::Buttons::OkCancel ? MB_OKCANCEL : MB_OK) |
                       (owner ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND);
    const int answer = MessageBoxW(owner, wide(crlf(text)).c_str(), L"Quillmark", style);
    return answer == IDOK ? app::Answer::Ok : app::Answer::Cancel;
}

std::string SystemDialogs::openFile(HWND owner, const std::string& title, const std::string& filter) {
    if (auto name = hookedFileName()) return *name;
    FileDialog dialog(owner, title, filter, "");
    dialog.box.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    return GetOpenFileNameW(&dialog.box) ? dialog.chosen() : std::string();
}

std::string SystemDialogs::saveFile(HWND owner, const std::string& title, const std::string& filter,
                                    const std::string& proposedName) {
    if (auto name = hookedFileName()) return *name;
    FileDialog dialog(owner, title, filter, proposedName);
    dialog.box.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    return GetSaveFileNameW(&dialog.box) ? dialog.chosen() : std::string();
}

namespace {

// The folder dialog opens on the folder it was given.
int CALLBACK folderDialogStarted(HWND dialog, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

}  // namespace

std::string SystemDialogs::folder(HWND owner, const std::string& title, const std::string& start) {
    if (auto name = hookedFileName()) return *name;
    const std::wstring titleText = wide(title), startText = wide(start);
    BROWSEINFOW box{};
    box.hwndOwner = owner;
    box.lpszTitle = titleText.c_str();
    box.ulFlags = BIF_RETURNONLYFSDIRS;
    box.lpfn = folderDialogStarted;
    box.lParam = startText.empty() ? 0 : reinterpret_cast<LPARAM>(startText.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&box);
    if (!chosen) return {};
    std::wstring path(32768, L'\0');
    const bool named = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    CoTaskMemFree(chosen);
    return named ? utf8(path.c_str()) : std::string();
}

int SystemDialogs::popupMenu(HWND owner, int menuId, POINT at) {
    if (!hooks().menuChoices.empty()) {
        const int choice = hooks().menuChoices.front();
        hooks().menuChoices.pop_front();
        return choice;
    }
    HMENU menu = LoadMenuW(programModule(), MAKEINTRESOURCEW(menuId));
    if (!menu) return 0;
    const int choice = static_cast<int>(TrackPopupMenu(
        GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
    DestroyMenu(menu);
    return choice;
}

void SystemDialogs::queueAnswer(app::Answer answer) { hooks().answers.push_back(answer); }
void SystemDialogs::answerUnaskedWith(std::optional<app::Answer> answer) { hooks().unasked = answer; }
const std::vector<std::string>& SystemDialogs::messagesShown() { return hooks().shown; }
void SystemDialogs::queueFileName(const std::string& name) { hooks().fileNames.push_back(name); }
void SystemDialogs::queueMenuChoice(int command) { hooks().menuChoices.push_back(command); }
void SystemDialogs::reset() { hooks() = Hooks{}; }

}  // namespace qm::win32gui
