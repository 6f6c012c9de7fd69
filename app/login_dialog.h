#pragma once
// The login dialog (LOGINDLG) in Qt: a modal dialog that shows the prompt and the fields the
// login rules (netware/login_dialog.h) give it and hands OK and Cancel to those rules. Both
// edits turn what is typed into upper case; the password is hidden. Context help (the
// caption's "?" button, or F1 on a field) opens the help topic of the user name or password
// field.

#include <QDialog>

#include "app/dialog_units.h"
#include "platform/window_system.h"

class QLineEdit;
class QLabel;

class LoginDialogView : public QDialog {
    Q_OBJECT
  public:
    // id: the window identifier under which the window system knows this dialog (the owner of
    // the rules' message boxes).
    explicit LoginDialogView(win::WindowId id);

    // Fills prompt and user name from the rules, places the dialog on the cursor and gives the
    // user name field the focus.
    void Start();

    QLineEdit* UserField() const { return user_; }
    QLineEdit* PasswordField() const { return password_; }
    QString Prompt() const;

  public slots:
    void Ok();
    void reject() override;  // Cancel, Escape and closing the window

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowFieldHelp(QWidget* field);

    win::WindowId id_;
    DialogUnits units_;
    QLabel* prompt_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
};
