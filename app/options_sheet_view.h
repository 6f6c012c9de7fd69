#pragma once
// The Qt options sheet: five tabbed pages over the sheet's rules (OptionsSheetModel), with
// OK, Cancel and Help and no Apply button. Each page is built and initialised the first time
// it is shown; every control carries its identifier as objectName "id_<number>" and shows the
// checked, enabled and visible states the rules give it after every click.

#include <functional>
#include <memory>

#include <QComboBox>
#include <QDialog>
#include <QRect>
#include <QString>

#include "app/dialog_units.h"
#include "settings/options_sheet.h"

class QPushButton;
class QTabWidget;

class QWidget;

// Shows the options sheet modal to owner. Returns 1 for OK, 0 for Cancel, -1 when the sheet
// could not be created.
int RunOptionsSheetDialog(QWidget* owner);

// The destination history's drop-down list opens about 35 % wider than the combo box,
// extending to the right, so that long paths can be read.
int WidenedDropDownWidth(int comboWidth);

class PathComboBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;
    // The drop-down list's window while it is open (null before the first opening).
    QWidget* Popup() const;
};

class OptionsSheetView : public QDialog {
    Q_OBJECT

  public:
    // The dialogs of the "&Select..." buttons, replaceable for tests. An empty result means the
    // user cancelled. The folder picker is the network's browser (folder_browser.h) and gives
    // \\SERVER\VOLUME\path.
    using FolderPicker = std::function<QString(QWidget* parent, const QString& title)>;
    using SaveFilePicker = std::function<QString(
        QWidget* parent, const QString& title, const QString& initialName, const QString& filter)>;

    explicit OptionsSheetView(QWidget* owner);
    ~OptionsSheetView() override;

    OptionsSheetModel& Model() { return model_; }
    QTabWidget* Tabs() const { return tabs_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* HelpButton() const { return help_; }
    // The control with this identifier on a created page, or null.
    QWidget* Control(int id) const;

    void SetFolderPicker(FolderPicker picker) { pickFolder_ = std::move(picker); }
    void SetSaveFilePicker(SaveFilePicker picker) { pickSaveFile_ = std::move(picker); }

    // The Qt file dialog filter of a "Description|pattern|...||" filter text.
    static QString QtFilter(const QString& pairs);

  public slots:
    void Ok();
    void reject() override;  // Cancel, Escape and closing the window

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildPage(int page);
    void PageChanged(int page);
    // Shows the page's tab without asking any page.
    void ShowTab(int page);
    void Refresh();
    void Clicked(int id);
    // The buffer-size radio buttons are one group: one tab stop, and the arrow keys move the
    // focus and the check mark round it. RadioGroupKey is true when it took the key.
    void SetRadioGroupTabStop();
    bool RadioGroupKey(QWidget* radio, int key);
    void SelectFolder();
    void SelectLogFile();
    void ShowContextHelp(int id);
    int ControlIdOf(QWidget* widget) const;
    void FocusControl(int id);

    OptionsSheetModel model_;
    DialogUnits units_;
    QTabWidget* tabs_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
    int currentPage_ = kCopyingPage;
    bool switching_ = false;
    FolderPicker pickFolder_;
    SaveFilePicker pickSaveFile_;
};
