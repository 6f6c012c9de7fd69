#pragma once
// The modeless dialogs of a copy run: the counting dialog (READDIRDLG) and the copy dialog
// (COPYFILESDLG), on a base that the synchronisation dialog shares. Controls are laid out in
// dialog units and named "id_<identifier>"; static labels without an identifier are unnamed.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "app/dialog_units.h"
#include "platform/window_system.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// A run dialog: a fixed-size pop-up with a Cancel button (identifier 2). Cancel, Escape and
// closing the window all count as Cancel and call the cancel handler once; the window system
// then destroys the dialog.
//
// The engine sets fields and bars several times for every file it copies, far more often than
// anyone can read them, and every change shown costs a repaint. So each control keeps the
// latest value it was given, and the values are shown together at most every
// kShowIntervalMs, by a timer that runs while the run pumps its events. ShowLatest shows them
// at once: the window system calls it before a box or a modal dialog opens above the dialog
// and when the dialog closes, so that what the user sees then is the current state.
class RunDialog : public QDialog {
    Q_OBJECT
  public:
    // About 25 times a second.
    static constexpr int kShowIntervalMs = 40;

    RunDialog(const QString& title, int widthDlu, int heightDlu);

    void SetCancelHandler(std::function<void()> handler) { onCancel_ = std::move(handler); }

    // Field and bar updates from the engine, shown within kShowIntervalMs; unknown identifiers
    // are ignored. False when the dialog has no such control.
    bool SetField(int control, const QString& text);
    bool SetBar(int control, int percent);
    // The latest value given to a control, whether or not it is shown yet; an empty text or
    // -1 when there is no such control.
    QString Field(int control) const;
    int Bar(int control) const;
    // Shows every value not yet shown, now.
    void ShowLatest();
    // The field's label, for measuring text as it shows it; null when there is no such field.
    QLabel* FieldLabel(int control) const;

    // The private message 2027: the server name for the title (and fields) of the dialog.
    virtual void SetServerName(const std::string& serverName) = 0;

    // How far below (positive) or above the screen centre the dialog is placed, for a screen
    // of this height.
    virtual int VerticalOffset(int screenHeight) const { return screenHeight / 4; }

    const DialogUnits& Units() const { return units_; }

  public slots:
    void reject() override;  // Escape and the Cancel button

  protected:
    void closeEvent(QCloseEvent* event) override;

    void AddGroupBox(const QString& title, int x, int y, int w, int h);
    void AddSunkenFrame(int x, int y, int w, int h);
    QLabel* AddStatic(int id, const QString& text, int x, int y, int w, int h,
                      Qt::Alignment align = Qt::AlignLeft);
    QProgressBar* AddBar(int id, int x, int y, int w, int h);
    QPushButton* AddCancel(const QString& text, int x, int y, int w, int h);

  private:
    // A control the engine writes to, with the latest value it was given.
    struct FieldControl {
        int id;
        QLabel* label;
        QString latest;
        bool shown;
    };
    struct BarControl {
        int id;
        QProgressBar* bar;
        int latest;
        bool shown;
    };

    void ShowSoon();
    void Cancel();

    DialogUnits units_;
    std::function<void()> onCancel_;
    bool cancelled_ = false;
    std::vector<FieldControl> fields_;
    std::vector<BarControl> bars_;
    QTimer* showTimer_ = nullptr;
};

// READDIRDLG or COPYFILESDLG.
class ProgressDialog : public RunDialog {
    Q_OBJECT
  public:
    explicit ProgressDialog(win::DialogKind kind);

    win::DialogKind Kind() const { return kind_; }
    // Copy dialog: the title "Copying Files To <name>..." (cut to the 67 characters the
    // caption buffer holds) and field 203.
    void SetServerName(const std::string& serverName) override;

    // The copy dialog's title for a server, as it fits the 68-byte caption buffer.
    static QString CopyCaption(const std::string& serverName);

  private:
    void BuildCounting();
    void BuildCopying();

    win::DialogKind kind_;
};
