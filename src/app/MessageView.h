#pragma once
// Message boxes. Every text the user sees goes through this route, so tests
// answer them without a dialog and a window draws them with the caption
// "Quillmark". Texts are UTF-8.
#include <string>

namespace qm::app {

enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, OkCancel };
enum class Answer { Ok = 1, Cancel = 2 };

class MessageView {
public:
    virtual ~MessageView() = default;
    virtual Answer showMessage(const std::string& text, Icon icon, Buttons buttons) = 0;
};

}  // namespace qm::app
