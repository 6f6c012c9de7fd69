#include "app/qt_window_system.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QWindow>

#include "app/help_viewer.h"
#include "app/login_dialog.h"
#include "app/options_sheet_view.h"
#include "app/progress_dialog.h"
#include "app/resource_text.h"
#include "app/sync_dialog.h"
#include "app/window_placement.h"

namespace {

QMessageBox::Icon BoxIcon(unsigned style) {
    switch (style & win::MB_ICONMASK) {
        case win::MB_ICONSTOP:
            return QMessageBox::Critical;
        case win::MB_ICONQUESTION:
            return QMessageBox::Question;
        case win::MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case win::MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// The box's buttons, the first being the default, and the answer of Escape / closing the box
// (the Cancel button where there is one; a Yes/No box cannot be closed without an answer).
struct BoxButtons {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton escapeButton;
};

BoxButtons ButtonsFor(unsigned style) {
    switch (style & win::MB_TYPEMASK) {
        case win::MB_OKCANCEL:
            return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
        case win::MB_YESNOCANCEL:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                    QMessageBox::Cancel};
        case win::MB_YESNO:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::NoButton};
        default:
            return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    }
}

int AnswerCode(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return win::IDCANCEL;
        case QMessageBox::Yes:
            return win::IDYES;
        case QMessageBox::No:
            return win::IDNO;
        default:
            return win::IDOK;
    }
}

// A box whose question has no escape answer (Yes/No): Escape and the window's close button do
// nothing, so that it cannot be closed without choosing.
class AnswerBox : public QMessageBox {
  public:
    AnswerBox(Icon icon, const QString& title, const QString& text, StandardButtons buttons,
              bool escapable)
        : QMessageBox(icon, title, text, buttons), escapable_(escapable) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!escapable_ && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!escapable_) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

  private:
    bool escapable_;
};

// Message texts break lines with "\r\n"; Qt wants "\n".
QString BoxText(const std::string& text) {
    QString result = FromEngine(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

}  // namespace

void SetOwnerWindow(QWidget* window, QWidget* owner) {
    if (!window || !owner)
        return;
    window->winId();
    if (window->windowHandle() && owner->windowHandle())
        window->windowHandle()->setTransientParent(owner->windowHandle());
}

// The main window takes no input while the options sheet, the login dialog or a run dialog is
// open over it; a window manager that activates it anyway (after a box closed, or for a click
// on it) finds the activation passed on to that window, as a disabled owner passes it on to its
// enabled pop-up.
class QtWindowSystem::ActivationForwarder : public QObject {
  public:
    explicit ActivationForwarder(const QtWindowSystem* ui) : ui_(ui) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate) {
            auto* main = static_cast<QWidget*>(watched);
            QWidget* over = ui_->AskedOver(win::kMainWindow);
            if (over && over != main && over->isVisible())
                QMetaObject::invokeMethod(
                    over, [over] { over->activateWindow(); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    const QtWindowSystem* ui_;
};

QtWindowSystem::QtWindowSystem() = default;

QtWindowSystem::~QtWindowSystem() {
    while (waitCursors_ > 0) {
        QGuiApplication::restoreOverrideCursor();
        --waitCursors_;
    }
}

void QtWindowSystem::SetMainWindow(QWidget* mainWindow, QListWidget* serverList) {
    if (mainWindow_ && forwarder_)
        mainWindow_->removeEventFilter(forwarder_.get());
    mainWindow_ = mainWindow;
    serverList_ = serverList;
    if (!forwarder_)
        forwarder_ = std::make_unique<ActivationForwarder>(this);
    if (mainWindow)
        mainWindow->installEventFilter(forwarder_.get());
}

QWidget* QtWindowSystem::Widget(win::WindowId id) const {
    if (id == win::kMainWindow)
        return mainWindow_.data();
    if (auto it = dialogs_.find(id); it != dialogs_.end())
        return it->second.dialog.get();
    if (auto it = otherWindows_.find(id); it != otherWindows_.end())
        return it->second.data();
    return nullptr;
}

win::WindowId QtWindowSystem::OpenDialogOfKind(win::DialogKind kind) const {
    for (const auto& [id, open] : dialogs_) {
        if (open.kind == kind)
            return id;
    }
    return win::kNoWindow;
}

RunDialog* QtWindowSystem::Dialog(win::WindowId id) const {
    auto it = dialogs_.find(id);
    return it == dialogs_.end() ? nullptr : it->second.dialog.get();
}

int QtWindowSystem::MessageBox(win::WindowId owner, const std::string& text,
                               const std::string& caption, unsigned style) {
    // The run's dialogs show the state the box is about, while it waits for the answer.
    ShowLatestValues();
    // The box belongs to the window it is asked over, which has the focus back when the box
    // closes.
    const FocusReturn back(AskedOver(owner));
    if (answerer_)
        return answerer_(Box{owner, back.Window(), text, caption, style});

    const BoxButtons buttons = ButtonsFor(style);
    const bool escapable = buttons.escapeButton != QMessageBox::NoButton;
    AnswerBox box(BoxIcon(style), FromEngine(caption), BoxText(text), buttons.buttons, escapable);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(buttons.defaultButton);
    if (escapable)
        box.setEscapeButton(buttons.escapeButton);
    box.setWindowModality(Qt::ApplicationModal);
    // That window is not made the box's parent: a disabled one would disable the box with it.
    SetOwnerWindow(&box, back.Window());
    if (style & win::MB_SETFOREGROUND) {
        box.show();
        box.raise();
        box.activateWindow();
    }
    return AnswerCode(box.exec());
}

QWidget* QtWindowSystem::AskedOver(win::WindowId owner) const {
    QWidget* named = Widget(owner);
    if (named && owner != win::kMainWindow)
        return named;
    // The main window stands for the program: what the user is working in is the modal dialog
    // open (the options sheet, the login dialog), else the run's dialog on top, the one that
    // takes input (the synchronisation dialog disables the copy dialog beneath it).
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) {
        RunDialog* dialog = it->second.dialog.get();
        if (dialog->isVisible() && dialog->isEnabled())
            return dialog;
    }
    return named;
}

FocusReturn::FocusReturn(QWidget* window) : window_(window) {
    if (window)
        focus_ = window->focusWidget();
}

FocusReturn::~FocusReturn() {
    // The window manager would hand the focus to whichever window it likes (often the disabled
    // main window); the window asked over takes it back, with its control that had it.
    if (!window_ || !window_->isVisible())
        return;
    window_->activateWindow();
    if (focus_ && focus_->window() == window_.data() && focus_->isEnabled())
        focus_->setFocus(Qt::ActiveWindowFocusReason);
}

win::WindowId QtWindowSystem::CreateProgressDialog(win::DialogKind kind, win::WindowId owner) {
    std::unique_ptr<RunDialog> dialog;
    if (kind == win::DialogKind::SyncDir)
        dialog = std::make_unique<SyncDialogView>();
    else
        dialog = std::make_unique<ProgressDialog>(kind);

    const win::WindowId id = nextId_++;
    RunDialog* view = dialog.get();
    view->SetCancelHandler([this, id] { UserCancelled(id); });
    // The synchronisation dialog disables the copy dialog open beneath it, whoever owns it;
    // the others disable their owner.
    win::WindowId disabled = owner;
    if (kind == win::DialogKind::SyncDir) {
        if (const win::WindowId copy = OpenDialogOfKind(win::DialogKind::CopyFiles);
            copy != win::kNoWindow)
            disabled = copy;
    }
    dialogs_[id] = OpenDialog{std::move(dialog), owner, kind, disabled};

    if (QWidget* disabledWidget = Widget(disabled))
        disabledWidget->setEnabled(false);
    SetOwnerWindow(view, Widget(owner));
    view->show();
    CentreOnScreen(view, 0, view->VerticalOffset(PlacementScreenGeometry(view).height()));
    FocusDialogControl(view, win::IDCANCEL);
    return id;
}

void QtWindowSystem::DestroyDialog(win::WindowId dialog) {
    auto it = dialogs_.find(dialog);
    if (it == dialogs_.end())
        return;
    std::unique_ptr<RunDialog> view = std::move(it->second.dialog);
    const win::WindowId disabled = it->second.disabled;
    dialogs_.erase(it);
    view->ShowLatest();
    if (QWidget* disabledWidget = Widget(disabled))
        disabledWidget->setEnabled(true);
    view->hide();
    // The dialog may be the sender of the click that cancelled it: delete it once its own
    // event handling has returned.
    view.release()->deleteLater();
}

void QtWindowSystem::UserCancelled(win::WindowId dialog) {
    DestroyDialog(dialog);
    win::NotifyDialogCancelled(dialog);
}

bool QtWindowSystem::IsWindow(win::WindowId window) {
    return Widget(window) != nullptr;
}

void QtWindowSystem::SetDlgItemText(win::WindowId dialog, int control, const std::string& text) {
    if (RunDialog* view = Dialog(dialog))
        view->SetField(control, FromEngine(text));
}

void QtWindowSystem::SetProgressPos(win::WindowId dialog, int control, int percent) {
    if (RunDialog* view = Dialog(dialog))
        view->SetBar(control, percent);
}

void QtWindowSystem::SendServerName(win::WindowId dialog, const std::string& serverName) {
    if (RunDialog* view = Dialog(dialog))
        view->SetServerName(serverName);
}

void QtWindowSystem::EnableWindow(win::WindowId window, bool enable) {
    if (QWidget* widget = Widget(window))
        widget->setEnabled(enable);
}

void QtWindowSystem::PumpMessages() {
    // The engine pumps several times for every file it copies, and each round of the event
    // dispatcher costs more than a small file's copy. Events are handled at most every
    // kPumpInterval of wall time, counted from the end of the last round so that a round that
    // paints cannot take most of the time: a Cancel or an Escape still acts within a few
    // milliseconds. Never waits: only what is already pending is handled.
    const auto now = std::chrono::steady_clock::now();
    if (now < nextPump_)
        return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    nextPump_ = std::chrono::steady_clock::now() + kPumpInterval;
}

void QtWindowSystem::ShowLatestValues() {
    for (auto& [id, open] : dialogs_)
        open.dialog->ShowLatest();
}

bool QtWindowSystem::MeasureControlText(win::WindowId dialog, int control, const std::string& text,
                                        int* textWidth, int* clientWidth) {
    RunDialog* view = Dialog(dialog);
    QWidget* widget = view ? view->FieldLabel(control) : DialogControl(Widget(dialog), control);
    if (!widget)
        return false;
    const QFontMetrics metrics(widget->font());
    if (textWidth)
        *textWidth = metrics.horizontalAdvance(FromEngine(text));
    if (clientWidth)
        *clientWidth = widget->contentsRect().width();
    return true;
}

void QtWindowSystem::SetWaitCursor(bool on) {
    if (on) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitCursors_;
    } else if (waitCursors_ > 0) {
        QGuiApplication::restoreOverrideCursor();
        --waitCursors_;
    }
}

void QtWindowSystem::MessageBeep(unsigned) {
    QApplication::beep();
}

void QtWindowSystem::ServerListReset() {
    if (serverList_)
        serverList_->clear();
}

void QtWindowSystem::ServerListAdd(const std::string& name) {
    if (!serverList_)
        return;
    // Sorted in case-insensitively, after entries that compare equal.
    const QString text = FromEngine(name);
    int row = 0;
    while (row < serverList_->count() &&
           QString::compare(serverList_->item(row)->text(), text, Qt::CaseInsensitive) <= 0)
        ++row;
    serverList_->insertItem(row, text);
}

std::vector<int> QtWindowSystem::ServerListSelection() {
    std::vector<int> rows;
    if (!serverList_)
        return rows;
    for (int row = 0; row < serverList_->count(); ++row)
        if (serverList_->item(row)->isSelected())
            rows.push_back(row);
    return rows;
}

std::string QtWindowSystem::ServerListText(int index) {
    if (!serverList_ || index < 0 || index >= serverList_->count())
        return std::string();
    return serverList_->item(index)->text().toStdString();
}

int QtWindowSystem::ShowLoginDialog(win::WindowId owner) {
    ShowLatestValues();
    const win::WindowId id = nextId_++;
    // The dialog registers itself under id while it is open, so that its boxes find it.
    LoginDialogView dialog(id);
    otherWindows_[id] = &dialog;
    // Modal to the window it is asked over and the windows beneath that (the main window, a
    // run dialog), not to the whole program: the help viewer that F1 opens from it stays
    // readable and can be closed.
    const FocusReturn back(AskedOver(owner));
    SetOwnerWindow(&dialog, back.Window());
    const bool owned = dialog.windowHandle() && dialog.windowHandle()->transientParent();
    dialog.setWindowModality(owned ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.Start();
    const int result = dialog.exec() == QDialog::Accepted ? win::IDOK : win::IDCANCEL;
    otherWindows_.erase(id);
    return result;
}

int QtWindowSystem::RunOptionsSheet(win::WindowId owner) {
    ShowLatestValues();
    return RunOptionsSheetDialog(Widget(owner));
}

void QtWindowSystem::WinHelp(win::WindowId, const char*, unsigned command, std::uintptr_t data) {
    switch (command) {
        case win::HELP_CONTEXT:
        case win::HELP_WM_HELP:
            ShowHelpContext(static_cast<int>(data));
            break;
        case win::HELP_FINDER:
            ShowHelpTopic(QStringLiteral("contents"));
            break;
        case win::HELP_HELPONHELP:
            ShowHelpTopic(QStringLiteral("using_help"));
            break;
        case win::HELP_QUIT:
            CloseHelpViewer();
            break;
        default:
            break;
    }
}
