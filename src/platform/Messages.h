#pragma once
// Message boxes: every text the user sees goes through this route, so tests
// answer them without a dialog and a window draws them with the caption
// "Quillmark".
#include <string>

namespace qm::platform {

enum class Icon { None, Information, Exclamation, Critical };
enum class Buttons { Ok, OkCancel };
enum class Answer { Ok = 1, Cancel = 2 };

class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual Answer showMessage(const std::string& text, Icon icon, Buttons buttons) = 0;
};

}  // namespace qm::platform
