#include "app/login_dialog.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/resource_text.h"
#include "app/window_placement.h"
#include "netware/login_dialog.h"
#include "resources/string_ids.h"

namespace {

constexpr int kPromptId = 220;
constexpr int kUserId = 218;
constexpr int kPasswordId = 219;
// Names and passwords are read into 48-byte buffers: at most 47 characters.
constexpr int kMaxCredential = 47;

QLineEdit* UpperCaseEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(kMaxCredential);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int cursor = edit->cursorPosition();
            edit->setText(upper);
            edit->setCursorPosition(cursor);
        }
    });
    return edit;
}

}  // namespace

LoginDialogView::LoginDialogView(win::WindowId id)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      id_(id) {
    setFont(DialogUnits::DialogFont());
    units_ = DialogUnits(font());
    setWindowTitle(ResText(IDS_LOGIN_CAPTION));
    setFixedSize(units_.X(204), units_.Y(92));

    prompt_ = new QLabel(this);
    prompt_->setTextFormat(Qt::PlainText);
    prompt_->setWordWrap(true);
    prompt_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    units_.Place(prompt_, 8, 4, 188, 24);
    SetControlId(prompt_, kPromptId);

    auto* userLabel = new QLabel(ResText(IDS_LOGIN_USERID), this);
    units_.Place(userLabel, 8, 32, 48, 8);
    user_ = UpperCaseEdit(this);
    units_.Place(user_, 8, 44, 120, 12);
    SetControlId(user_, kUserId);
    userLabel->setBuddy(user_);

    auto* passwordLabel = new QLabel(ResText(IDS_LOGIN_PASSWORD), this);
    units_.Place(passwordLabel, 8, 60, 42, 8);
    password_ = UpperCaseEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    units_.Place(password_, 8, 72, 120, 12);
    SetControlId(password_, kPasswordId);
    passwordLabel->setBuddy(password_);

    auto* ok = new QPushButton(ResText(IDS_LOGIN_OK), this);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    units_.Place(ok, 146, 44, 50, 14);
    SetControlId(ok, win::IDOK);
    connect(ok, &QPushButton::clicked, this, &LoginDialogView::Ok);

    auto* cancel = new QPushButton(ResText(IDS_LOGIN_CANCEL), this);
    cancel->setAutoDefault(false);
    units_.Place(cancel, 146, 64, 50, 14);
    SetControlId(cancel, win::IDCANCEL);
    connect(cancel, &QPushButton::clicked, this, &LoginDialogView::reject);

    // Tab order as the dialog template lists the controls.
    setTabOrder(user_, password_);
    setTabOrder(password_, ok);
    setTabOrder(ok, cancel);

    for (QWidget* field : {static_cast<QWidget*>(user_), static_cast<QWidget*>(password_)}) {
        // A "What's This" text makes the field take the caption's "?" click; the filter turns
        // the click into the help viewer instead of a tooltip.
        field->setWhatsThis(QStringLiteral(" "));
        field->installEventFilter(this);
    }
}

QString LoginDialogView::Prompt() const {
    return prompt_->text();
}

void LoginDialogView::Start() {
    const LoginDialogStart start = LoginDialogInit();
    prompt_->setText(FromEngine(start.prompt));
    user_->setText(FromEngine(start.userName).left(kMaxCredential));
    password_->clear();
    CentreOnCursor(this);
    FocusDialogControl(this, kUserId);
}

void LoginDialogView::Ok() {
    const LoginDialogOutcome outcome =
        LoginDialogOk(id_, user_->text().toStdString(), password_->text().toStdString());
    if (outcome == LoginDialogOutcome::Close) {
        accept();
        return;
    }
    FocusDialogControl(this, kUserId);
}

void LoginDialogView::reject() {
    LoginDialogCancel();
    QDialog::reject();
}

bool LoginDialogView::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QWidget*>(watched);
    if (field && event->type() == QEvent::WhatsThis) {
        ShowFieldHelp(field);
        return true;
    }
    if (field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        ShowFieldHelp(field);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void LoginDialogView::ShowFieldHelp(QWidget* field) {
    const int control = field == user_ ? kUserId : field == password_ ? kPasswordId : 0;
    const int context = LoginDialogHelpContext(control);
    if (context != 0)
        win::Ui().WinHelp(id_, LoadResString(IDS_HELP_FILE), win::HELP_WM_HELP,
                          static_cast<std::uintptr_t>(context));
}
