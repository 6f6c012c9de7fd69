#include "app/options_sheet_view.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "app/folder_browser.h"
#include "app/resource_text.h"
#include "app/window_placement.h"
#include "platform/window_system.h"
#include "resources/string_ids.h"

namespace {

enum class Kind { Check, Radio, Label, Combo, Button, Edit, Group, Static };

// One control of a page: identifier (0 for a label), kind, caption, position and size in
// dialog units, and for a label the control its mnemonic moves to.
struct ControlEntry {
    int page;
    int id;
    Kind kind;
    unsigned caption;
    int x, y, w, h;
    int buddy = 0;
};

constexpr ControlEntry kControls[] = {
    // Copying
    {kCopyingPage, 242, Kind::Check, IDS_OPT_TRACK_DIRECTORY, 12, 16, 216, 12},
    {kCopyingPage, 0, Kind::Label, IDS_OPT_DESTINATION_LABEL, 12, 32, 156, 12, 216},
    {kCopyingPage, 216, Kind::Combo, 0, 12, 44, 160, 118},
    {kCopyingPage, 200, Kind::Button, IDS_SELECT_BUTTON, 178, 43, 50, 14},
    {kCopyingPage, 212, Kind::Check, IDS_OPT_COPY_SUB_DIRS, 12, 64, 204, 12},
    {kCopyingPage, 334, Kind::Check, IDS_OPT_ONLY_EXISTING, 12, 80, 204, 12},
    {kCopyingPage, 232, Kind::Check, IDS_OPT_NETWARE4X, 12, 96, 204, 12},
    {kCopyingPage, 211, Kind::Check, IDS_OPT_SYNC_DIRS, 12, 112, 204, 12},
    {kCopyingPage, 217, Kind::Check, IDS_OPT_PROMPT_ON_DELETION, 12, 128, 204, 12},
    // Errors
    {kErrorsPage, 206, Kind::Check, IDS_OPT_CREATE_LOGFILE, 12, 16, 80, 12},
    {kErrorsPage, 0, Kind::Label, IDS_OPT_LOG_FILE_LABEL, 12, 36, 88, 12, 222},
    {kErrorsPage, 222, Kind::Edit, 0, 12, 48, 160, 12},
    {kErrorsPage, 199, Kind::Button, IDS_SELECT_BUTTON, 178, 47, 50, 14},
    {kErrorsPage, 234, Kind::Check, IDS_OPT_VERBOSE_LOGGING, 12, 68, 200, 12},
    {kErrorsPage, 207, Kind::Check, IDS_OPT_UNATTENDED, 12, 84, 200, 12},
    {kErrorsPage, 335, Kind::Check, IDS_OPT_LOGOUT_USERS, 12, 100, 200, 12},
    // Overwrites
    {kOverwritesPage, 208, Kind::Check, IDS_OPT_NEVER_OVERWRITE, 12, 16, 192, 12},
    {kOverwritesPage, 209, Kind::Check, IDS_OPT_OVERWRITE_OLDER, 12, 32, 192, 12},
    {kOverwritesPage, 210, Kind::Check, IDS_OPT_PROMPT_ON_OVERWRITE, 12, 48, 192, 12},
    // Attributes
    {kAttributesPage, 213, Kind::Check, IDS_OPT_COPY_ATTRIBUTES, 12, 16, 176, 12},
    {kAttributesPage, 215, Kind::Check, IDS_OPT_COPY_IRM, 12, 32, 176, 12},
    {kAttributesPage, 231, Kind::Check, IDS_OPT_COPY_TRUSTEES, 12, 48, 220, 12},
    {kAttributesPage, 237, Kind::Check, IDS_OPT_COPY_COMPRESSED, 12, 64, 212, 12},
    // Advanced
    {kAdvancedPage, 235, Kind::Group, IDS_OPT_BUFFER_SIZE_GROUP, 12, 16, 84, 92},
    {kAdvancedPage, 4, Kind::Radio, IDS_OPT_BUFFER_4K, 20, 28, 64, 12},
    {kAdvancedPage, 8, Kind::Radio, IDS_OPT_BUFFER_8K, 20, 44, 64, 12},
    {kAdvancedPage, 16, Kind::Radio, IDS_OPT_BUFFER_16K, 20, 60, 64, 12},
    {kAdvancedPage, 32, Kind::Radio, IDS_OPT_BUFFER_32K, 20, 76, 64, 12},
    {kAdvancedPage, 64, Kind::Radio, IDS_OPT_BUFFER_64K, 20, 92, 64, 12},
    {kAdvancedPage, 241, Kind::Static, 0, 104, 20, 123, 88},
};

// The buffer-size radio buttons: one group, in their order on the page.
constexpr int kBufferRadios[] = {4, 8, 16, 32, 64};

constexpr unsigned kTabCaptions[kOptionsPageCount] = {
    IDS_TAB_COPYING, IDS_TAB_ERRORS, IDS_TAB_OVERWRITES, IDS_TAB_ATTRIBUTES, IDS_TAB_ADVANCED,
};

QString PickSaveFileWithDialog(QWidget* parent, const QString& title, const QString& initialName,
                               const QString& filter) {
    // No overwrite question: the log is appended to, never replaced.
    return QFileDialog::getSaveFileName(parent, title, initialName, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

}  // namespace

// ---- the history combo box ----

int WidenedDropDownWidth(int comboWidth) {
    return comboWidth + comboWidth * 6 / 17;
}

QWidget* PathComboBox::Popup() const {
    QAbstractItemView* list = view();
    return list ? list->window() : nullptr;
}

void PathComboBox::showPopup() {
    QComboBox::showPopup();
    QWidget* popup = Popup();
    if (!popup || popup == window())
        return;
    QRect rect = popup->geometry();
    rect.setWidth(WidenedDropDownWidth(rect.width()));
    // Widened to the right, but moved back where the screen ends.
    if (QScreen* screen = popup->screen()) {
        const QRect available = screen->availableGeometry();
        if (rect.right() > available.right())
            rect.moveLeft(std::max(available.left(), available.right() - rect.width() + 1));
    }
    popup->setGeometry(rect);
    popup->update();
}

// ---- the sheet ----

int RunOptionsSheetDialog(QWidget* owner) {
    if (!QApplication::instance())
        return -1;
    OptionsSheetView sheet(owner);
    return sheet.exec() == QDialog::Accepted ? 1 : 0;
}

QString OptionsSheetView::QtFilter(const QString& pairs) {
    if (pairs.isEmpty())
        return QString();
    // The text's last character separates descriptions and patterns.
    const QChar separator = pairs.back();
    const QStringList parts = pairs.split(separator, Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        const QString shown = QStringLiteral("(") + pattern + QStringLiteral(")");
        if (label.endsWith(shown))
            label = label.left(label.size() - shown.size()).trimmed();
        // "*.*" means every file, with or without an extension.
        QStringList patterns = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        }
        filters << label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QStringLiteral(")");
    }
    return filters.join(QStringLiteral(";;"));
}

OptionsSheetView::OptionsSheetView(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowContextHelpButtonHint),
      pickFolder_(&BrowseNetworkFolder),
      pickSaveFile_(&PickSaveFileWithDialog) {
    setObjectName(QStringLiteral("OptionsSheet"));
    setWindowTitle(ResText(IDS_OPTIONS_CAPTION));
    setFont(DialogUnits::DialogFont());
    // Modal to the program's window only, so that the help viewer stays usable beside it.
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);

    tabs_ = new QTabWidget(this);
    for (int page = 0; page < kOptionsPageCount; ++page) {
        auto* widget = new QWidget;
        widget->setObjectName(QStringLiteral("page_%1").arg(page));
        widget->setFixedSize(units_.X(240), units_.Y(148));
        tabs_->addTab(widget, ResText(kTabCaptions[page]));
    }

    ok_ = new QPushButton(ResText(IDS_SHEET_OK), this);
    cancel_ = new QPushButton(ResText(IDS_SHEET_CANCEL), this);
    help_ = new QPushButton(ResText(IDS_SHEET_HELP), this);
    ok_->setObjectName(QStringLiteral("id_1"));
    cancel_->setObjectName(QStringLiteral("id_2"));
    help_->setObjectName(QStringLiteral("id_9"));
    ok_->setDefault(true);
    for (QPushButton* button : {ok_, cancel_, help_})
        button->setFixedSize(units_.X(50), units_.Y(14));
    connect(ok_, &QPushButton::clicked, this, &OptionsSheetView::Ok);
    connect(cancel_, &QPushButton::clicked, this, &OptionsSheetView::reject);
    connect(help_, &QPushButton::clicked, this, [] { OptionsSheetModel::ShowSheetHelp(); });

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(units_.X(4));
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addWidget(help_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(units_.X(4), units_.Y(4), units_.X(4), units_.Y(4));
    layout->setSpacing(units_.Y(4));
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The first page shows first; the others wait until their tabs are chosen.
    model_.ShowPage(kCopyingPage);
    BuildPage(kCopyingPage);
    tabs_->setCurrentIndex(kCopyingPage);
    connect(tabs_, &QTabWidget::currentChanged, this, &OptionsSheetView::PageChanged);
    Refresh();
}

OptionsSheetView::~OptionsSheetView() = default;

QWidget* OptionsSheetView::Control(int id) const {
    return DialogControl(tabs_, id);
}

void OptionsSheetView::BuildPage(int page) {
    QWidget* parent = tabs_->widget(page);
    // The captionless group frame around the page's controls.
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(QStringLiteral("frame_%1").arg(page));
    units_.Place(frame, 4, 4, 232, 140);

    for (const ControlEntry& entry : kControls) {
        if (entry.page != page)
            continue;
        QWidget* widget = nullptr;
        switch (entry.kind) {
            case Kind::Check:
            case Kind::Radio: {
                QAbstractButton* button = nullptr;
                if (entry.kind == Kind::Check) {
                    button = new QCheckBox(ResText(entry.caption), parent);
                } else {
                    auto* radio = new QRadioButton(ResText(entry.caption), parent);
                    // The rules decide which button is checked, including none of them; the
                    // arrow keys move within the group (RadioGroupKey).
                    radio->setAutoExclusive(false);
                    radio->installEventFilter(this);
                    button = radio;
                }
                const int id = entry.id;
                connect(button, &QAbstractButton::clicked, this, [this, id] { Clicked(id); });
                widget = button;
                break;
            }
            case Kind::Label: {
                auto* label = new QLabel(ResText(entry.caption), parent);
                widget = label;
                break;
            }
            case Kind::Group:
                widget = new QGroupBox(ResText(entry.caption), parent);
                break;
            case Kind::Static: {
                auto* label = new QLabel(parent);
                label->setWordWrap(true);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setTextFormat(Qt::PlainText);
                widget = label;
                break;
            }
            case Kind::Combo: {
                auto* combo = new PathComboBox(parent);
                combo->setEditable(false);
                connect(combo, &QComboBox::activated, this, [this](int index) {
                    model_.SelectComboItem(index);
                    Refresh();
                });
                widget = combo;
                break;
            }
            case Kind::Button: {
                auto* button = new QPushButton(ResText(entry.caption), parent);
                button->setAutoDefault(false);
                if (entry.id == 200)
                    connect(button, &QPushButton::clicked, this, &OptionsSheetView::SelectFolder);
                else
                    connect(button, &QPushButton::clicked, this, &OptionsSheetView::SelectLogFile);
                widget = button;
                break;
            }
            case Kind::Edit: {
                auto* edit = new QLineEdit(parent);
                const int id = entry.id;
                connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
                    model_.SetText(id, text.toStdString());
                });
                widget = edit;
                break;
            }
        }
        if (entry.id != 0) {
            SetControlId(widget, entry.id);
            if (OptionsSheetModel::HelpContext(entry.id) != 0)
                widget->installEventFilter(this);
        }
        if (entry.kind == Kind::Combo) {
            // The table's height includes the drop-down list; the closed box is one line.
            const int closed = std::min(widget->sizeHint().height(), units_.Y(14));
            widget->setGeometry(units_.X(entry.x), units_.Y(entry.y), units_.X(entry.w), closed);
            const int line = std::max(1, widget->fontMetrics().height() + 2);
            static_cast<QComboBox*>(widget)->setMaxVisibleItems(
                std::max(1, (units_.Y(entry.h) - closed) / line));
        } else {
            units_.Place(widget, entry.x, entry.y, entry.w, entry.h);
        }
        widget->show();
    }
    // Mnemonics of the labels move to their fields.
    for (const ControlEntry& entry : kControls) {
        if (entry.page != page || entry.kind != Kind::Label)
            continue;
        for (QLabel* label : parent->findChildren<QLabel*>()) {
            if (label->text() == ResText(entry.caption))
                label->setBuddy(DialogControl(parent, entry.buddy));
        }
    }
    // The group box lies under its radio buttons.
    if (QWidget* group = DialogControl(parent, 235))
        group->lower();
    frame->lower();
}

void OptionsSheetView::Refresh() {
    for (const ControlEntry& entry : kControls) {
        if (entry.id == 0 || !model_.PageCreated(entry.page))
            continue;
        QWidget* widget = DialogControl(tabs_->widget(entry.page), entry.id);
        if (!widget)
            continue;
        widget->setEnabled(model_.Enabled(entry.id));
        widget->setVisible(model_.Visible(entry.id));
        switch (entry.kind) {
            case Kind::Check:
            case Kind::Radio:
                static_cast<QAbstractButton*>(widget)->setChecked(model_.Checked(entry.id));
                break;
            case Kind::Edit: {
                auto* edit = static_cast<QLineEdit*>(widget);
                const QString text = FromEngine(model_.Text(entry.id));
                if (edit->text() != text)
                    edit->setText(text);
                break;
            }
            case Kind::Static:
                static_cast<QLabel*>(widget)->setText(FromEngine(model_.Text(entry.id)));
                break;
            case Kind::Combo: {
                auto* combo = static_cast<QComboBox*>(widget);
                QStringList items;
                for (const std::string& item : model_.ComboItems())
                    items << FromEngine(item);
                QStringList shown;
                for (int i = 0; i < combo->count(); ++i)
                    shown << combo->itemText(i);
                if (shown != items) {
                    combo->clear();
                    combo->addItems(items);
                }
                combo->setCurrentIndex(model_.ComboSelection());
                break;
            }
            default:
                break;
        }
    }
    if (model_.PageCreated(kAdvancedPage))
        SetRadioGroupTabStop();
}

void OptionsSheetView::SetRadioGroupTabStop() {
    // The group is one tab stop: its checked button, or its first one when none is checked.
    int tabStop = kBufferRadios[0];
    for (int id : kBufferRadios) {
        if (model_.Checked(id))
            tabStop = id;
    }
    for (int id : kBufferRadios) {
        if (QWidget* radio = Control(id))
            radio->setFocusPolicy(id == tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

bool OptionsSheetView::RadioGroupKey(QWidget* radio, int key) {
    int step = 0;
    if (key == Qt::Key_Down || key == Qt::Key_Right)
        step = 1;
    else if (key == Qt::Key_Up || key == Qt::Key_Left)
        step = -1;
    else
        return false;
    const int count = static_cast<int>(std::size(kBufferRadios));
    const int id = ControlIdOf(radio);
    const auto at = std::find(std::begin(kBufferRadios), std::end(kBufferRadios), id);
    if (at == std::end(kBufferRadios))
        return false;
    // Round the group, as an automatic radio button does: the next one has the focus and is
    // checked.
    const int next = kBufferRadios[((at - std::begin(kBufferRadios)) + step + count) % count];
    Clicked(next);
    FocusControl(next);
    return true;
}

void OptionsSheetView::Clicked(int id) {
    model_.Click(id);
    Refresh();
}

void OptionsSheetView::ShowTab(int page) {
    switching_ = true;
    tabs_->setCurrentIndex(page);
    switching_ = false;
}

void OptionsSheetView::PageChanged(int page) {
    if (switching_ || page == currentPage_)
        return;
    // Leaving a page may be refused (a log file name is missing), with a box: the page stays
    // shown while the page is asked, so that the box stands over the page it is about.
    ShowTab(currentPage_);
    if (!model_.KillActive(currentPage_)) {
        Refresh();
        const int control = model_.FocusControl();
        FocusControl(control);
        // Ctrl+Tab gives the tab bar the focus once the change has been made, when no window
        // has it (as while the box closes): the control takes it back after that.
        QMetaObject::invokeMethod(
            this, [this, control] { FocusControl(control); }, Qt::QueuedConnection);
        return;
    }
    ShowTab(page);
    currentPage_ = page;
    if (!model_.PageCreated(page)) {
        model_.ShowPage(page);
        BuildPage(page);
    }
    Refresh();
}

void OptionsSheetView::Ok() {
    // The page shown is asked first whether it may be left; after it only the Copying page
    // can still refuse (its destination), so that page is shown before it is asked: a box
    // always stands over the page it is about, and that page stays shown.
    if (model_.KillActive(currentPage_)) {
        if (model_.PageCreated(kCopyingPage) && currentPage_ != kCopyingPage) {
            ShowTab(kCopyingPage);
            currentPage_ = kCopyingPage;
        }
        if (model_.Apply(currentPage_)) {
            done(QDialog::Accepted);
            return;
        }
    }
    // A page refused: it is shown, with the control to correct focused.
    const int page = model_.RefusingPage();
    if (page >= 0 && page < kOptionsPageCount && page != currentPage_) {
        ShowTab(page);
        currentPage_ = page;
    }
    Refresh();
    FocusControl(model_.FocusControl());
}

void OptionsSheetView::reject() {
    model_.Reset();
    QDialog::reject();
}

void OptionsSheetView::FocusControl(int id) {
    if (id != 0)
        FocusDialogControl(tabs_->currentWidget(), id);
}

void OptionsSheetView::SelectFolder() {
    const QString picked = pickFolder_(this, ResText(IDS_SELECT_TARGET_TITLE));
    if (picked.isEmpty())
        return;
    // \\SERVER\VOLUME\path, which the page rewrites to the volume path.
    model_.FolderPicked(picked.toStdString());
    Refresh();
    FocusControl(216);
}

void OptionsSheetView::SelectLogFile() {
    const QString picked =
        pickSaveFile_(this, ResText(IDS_SELECT_LOG_FILE), ResText(IDS_LOG_FILE_PATTERN),
                      QtFilter(ResText(IDS_LOG_FILE_FILTER)));
    if (picked.isEmpty())
        return;
    model_.LogFilePicked(QDir::toNativeSeparators(picked).toStdString());
    Refresh();
}

int OptionsSheetView::ControlIdOf(QWidget* widget) const {
    for (; widget && widget != this; widget = widget->parentWidget()) {
        const QString name = widget->objectName();
        if (name.startsWith(QStringLiteral("id_")) && tabs_->isAncestorOf(widget))
            return name.mid(3).toInt();
    }
    return 0;
}

void OptionsSheetView::ShowContextHelp(int id) {
    // A control without a topic of its own (a label, the sheet's buttons) gives no help.
    OptionsSheetModel::ShowControlHelp(id);
}

void OptionsSheetView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::ShiftModifier) {
        QWhatsThis::enterWhatsThisMode();
        return;
    }
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        // Context help for the control that has the focus.
        ShowContextHelp(ControlIdOf(QApplication::focusWidget()));
        return;
    }
    QDialog::keyPressEvent(event);
}

bool OptionsSheetView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && qobject_cast<QRadioButton*>(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (RadioGroupKey(static_cast<QWidget*>(watched), key->key()))
                return true;
        }
    }
    if (event->type() == QEvent::QueryWhatsThis) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::WhatsThis) {
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            ShowContextHelp(ControlIdOf(widget));
            QWhatsThis::leaveWhatsThisMode();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
