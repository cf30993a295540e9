#include "fakes/FakeView.h"

namespace qm::test {

using app::Answer;

std::vector<std::string> FakeView::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

std::string FakeView::backupCheckedPattern() const {
    std::string pattern;
    for (const auto& box : backupItems) pattern += box.checked ? '1' : '0';
    return pattern;
}

std::string FakeView::backupEnabledPattern() const {
    std::string pattern;
    for (const auto& box : backupItems) pattern += box.enabled ? '1' : '0';
    return pattern;
}

Answer FakeView::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    messages.push_back({text, icon, buttons});
    if (answers.empty()) return Answer::Ok;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeView::setHourglass(bool on) {
    hourglass = on;
    hourglassHistory.push_back(on);
}

void FakeView::yield() {
    ++yields;
    if (onYield) onYield();
}

bool FakeView::backupItemChecked(int index) const { return valid(index) && backupItems[index].checked; }
void FakeView::setBackupItemChecked(int index, bool checked) {
    if (valid(index)) backupItems[index].checked = checked;
}
bool FakeView::backupItemEnabled(int index) const { return valid(index) && backupItems[index].enabled; }
void FakeView::setBackupItemEnabled(int index, bool enabled) {
    if (valid(index)) backupItems[index].enabled = enabled;
}
void FakeView::setBackupItemTooltip(int index, const std::string& text) {
    if (valid(index)) backupItems[index].tooltip = text;
}
bool FakeView::restoreItemChecked(int index) const { return valid(index) && restoreItems[index].checked; }
void FakeView::setRestoreItemChecked(int index, bool checked) {
    if (valid(index)) restoreItems[index].checked = checked;
}
bool FakeView::restoreItemEnabled(int index) const { return valid(index) && restoreItems[index].enabled; }
void FakeView::setRestoreItemEnabled(int index, bool enabled) {
    if (valid(index)) restoreItems[index].enabled = enabled;
}

void FakeView::setPasswordBoxes(bool enabled) {
    passwordBoxesEnabled = enabled;
    passwordText.clear();
    password2Text.clear();
}

std::string FakeView::chooseFileToSave(const std::string& title, const std::string& filter,
                                       const std::string& proposedName) {
    saveFileDialogs.push_back({title, filter, proposedName});
    if (saveFileAnswers.empty()) return {};
    std::string answer = saveFileAnswers.front();
    saveFileAnswers.pop_front();
    return answer;
}

std::string FakeView::chooseFileToOpen(const std::string& title, const std::string& filter) {
    backupFileDialogs.push_back({title, filter, {}});
    if (backupFileAnswers.empty()) return {};
    std::string answer = backupFileAnswers.front();
    backupFileAnswers.pop_front();
    return answer;
}

std::optional<std::string> FakeView::askPassword() {
    ++passwordAsked;
    if (passwordAnswers.empty()) return std::nullopt;
    auto answer = passwordAnswers.front();
    passwordAnswers.pop_front();
    return answer;
}

void FakeView::showBusy(bool visible) {
    busy = visible;
    busyHistory.push_back(visible);
}

void FakeView::setStatus(const std::string& text) {
    status = text;
    statusHistory.push_back(text);
}

void FakeView::setProgress(int value) {
    progressValue = value;
    progressHistory.push_back(value);
}

void FakeView::setFileLine(const std::string& text) {
    fileLine = text;
    fileLines.push_back(text);
}

void FakeView::setPercentLine(const std::string& text) {
    percentLine = text;
    percentLines.push_back(text);
    if (!text.empty() && progressAtFirstPercent < 0) progressAtFirstPercent = progressValue;
}

void FakeView::showDiscWindow(const std::string& fileTitle, const std::string& filePath) {
    discCalls.push_back({fileTitle, filePath});
}

std::string FakeView::chooseFolder(const std::string& /*title*/, const std::string& start) {
    folderStarts.push_back(start);
    if (folderAnswers.empty()) return {};
    std::string answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

std::string FakeView::chooseFromList(const std::string& /*title*/, const std::string& /*label*/,
                                     const std::vector<std::string>& choices, const std::string& current) {
    listChoices.push_back(choices);
    listCurrents.push_back(current);
    if (listAnswers.empty()) return {};
    std::string answer = listAnswers.front();
    listAnswers.pop_front();
    return answer;
}

}  // namespace qm::test
