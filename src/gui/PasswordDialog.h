#pragma once
// frmPwd: asks for the password of a protected backup file.
#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace qm::gui {

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent);
    // Shown modally; the typed text, or nothing when cancelled.
    static std::optional<std::string> ask(QWidget* parent);

private:
    QLineEdit* txtPassword_ = nullptr;
};

}  // namespace qm::gui
