#include "app/progress_dialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "app/resource_text.h"
#include "app/window_placement.h"
#include "resources/string_ids.h"

namespace {

// The caption buffer of the copy dialog: 68 bytes with the terminator.
constexpr int kCaptionBuffer = 68;

// The control with this identifier in a dialog's list of fields or bars, or null.
template <class Controls>
auto FindControl(Controls& controls, int id) -> decltype(&controls.front()) {
    for (auto& control : controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

}  // namespace

RunDialog::RunDialog(const QString& title, int widthDlu, int heightDlu)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setFont(DialogUnits::DialogFont());
    units_ = DialogUnits(font());
    setWindowTitle(title);
    setModal(false);
    setFixedSize(units_.X(widthDlu), units_.Y(heightDlu));
    showTimer_ = new QTimer(this);
    showTimer_->setSingleShot(true);
    showTimer_->setInterval(kShowIntervalMs);
    connect(showTimer_, &QTimer::timeout, this, &RunDialog::ShowLatest);
}

void RunDialog::AddGroupBox(const QString& title, int x, int y, int w, int h) {
    auto* box = new QGroupBox(title, this);
    // The title sits on the frame's top line, the frame starting half a text line down, as
    // the dialog-unit rectangles expect.
    box->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); "
                                      "border-radius: 2px; margin-top: %1px; }"
                                      "QGroupBox::title { subcontrol-origin: margin; "
                                      "subcontrol-position: top left; left: %2px; "
                                      "padding: 0 2px; }")
                           .arg(box->fontMetrics().height() / 2)
                           .arg(units_.X(2)));
    units_.Place(box, x, y, w, h);
    box->lower();
}

void RunDialog::AddSunkenFrame(int x, int y, int w, int h) {
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    units_.Place(frame, x, y, w, h);
    frame->lower();
}

QLabel* RunDialog::AddStatic(int id, const QString& text, int x, int y, int w, int h,
                             Qt::Alignment align) {
    auto* label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);  // paths are shown as they are, nothing interpreted
    label->setAlignment(align | Qt::AlignTop);
    // The design's static rectangles are one text line high; allow the font's full line.
    units_.Place(label, x, y, w, h);
    if (label->height() < label->fontMetrics().height())
        label->resize(label->width(), label->fontMetrics().height());
    if (id != 0) {
        SetControlId(label, id);
        fields_.push_back(FieldControl{id, label, text, true});
    }
    return label;
}

QProgressBar* RunDialog::AddBar(int id, int x, int y, int w, int h) {
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    units_.Place(bar, x, y, w, h);
    SetControlId(bar, id);
    bars_.push_back(BarControl{id, bar, 0, true});
    return bar;
}

QPushButton* RunDialog::AddCancel(const QString& text, int x, int y, int w, int h) {
    auto* button = new QPushButton(text, this);
    button->setDefault(true);
    units_.Place(button, x, y, w, h);
    SetControlId(button, win::IDCANCEL);
    connect(button, &QPushButton::clicked, this, &RunDialog::Cancel);
    return button;
}

bool RunDialog::SetField(int control, const QString& text) {
    FieldControl* field = FindControl(fields_, control);
    if (!field)
        return false;
    if (field->latest != text) {
        field->latest = text;
        field->shown = false;
        ShowSoon();
    }
    return true;
}

bool RunDialog::SetBar(int control, int percent) {
    BarControl* bar = FindControl(bars_, control);
    if (!bar)
        return false;
    percent = qBound(0, percent, 100);
    if (bar->latest != percent) {
        bar->latest = percent;
        bar->shown = false;
        ShowSoon();
    }
    return true;
}

QString RunDialog::Field(int control) const {
    const FieldControl* field = FindControl(fields_, control);
    return field ? field->latest : QString();
}

int RunDialog::Bar(int control) const {
    const BarControl* bar = FindControl(bars_, control);
    return bar ? bar->latest : -1;
}

QLabel* RunDialog::FieldLabel(int control) const {
    const FieldControl* field = FindControl(fields_, control);
    return field ? field->label : nullptr;
}

void RunDialog::ShowSoon() {
    if (!showTimer_->isActive())
        showTimer_->start();
}

void RunDialog::ShowLatest() {
    showTimer_->stop();
    for (FieldControl& field : fields_) {
        if (!field.shown)
            field.label->setText(field.latest);
        field.shown = true;
    }
    for (BarControl& bar : bars_) {
        if (!bar.shown)
            bar.bar->setValue(bar.latest);
        bar.shown = true;
    }
}

void RunDialog::reject() {
    Cancel();
}

void RunDialog::closeEvent(QCloseEvent* event) {
    // The window system destroys the dialog; closing it here would only hide it.
    event->ignore();
    Cancel();
}

void RunDialog::Cancel() {
    if (cancelled_)
        return;
    cancelled_ = true;
    if (onCancel_)
        onCancel_();
}

ProgressDialog::ProgressDialog(win::DialogKind kind)
    : RunDialog(
          ResText(kind == win::DialogKind::ReadDir ? IDS_COUNTING_CAPTION : IDS_COPYING_CAPTION),
          kind == win::DialogKind::ReadDir ? 292 : 300,
          kind == win::DialogKind::ReadDir ? 52 : 112),
      kind_(kind) {
    if (kind == win::DialogKind::ReadDir)
        BuildCounting();
    else
        BuildCopying();
}

void ProgressDialog::BuildCounting() {
    AddGroupBox(ResText(IDS_COUNTING_PATH), 4, 4, 284, 20);
    AddStatic(225, QString(), 8, 12, 276, 8);
    AddGroupBox(ResText(IDS_COUNTING_FILES), 4, 28, 64, 20);
    AddStatic(226, QString(), 8, 36, 56, 8, Qt::AlignRight);
    AddGroupBox(ResText(IDS_COUNTING_DIRECTORIES), 76, 28, 60, 20);
    AddStatic(221, QString(), 80, 36, 52, 8, Qt::AlignRight);
    AddGroupBox(ResText(IDS_COUNTING_BYTES), 144, 28, 84, 20);
    AddStatic(223, QString(), 148, 36, 76, 8, Qt::AlignRight);
    AddCancel(ResText(IDS_PROGRESS_CANCEL), 238, 34, 50, 14);
}

void ProgressDialog::BuildCopying() {
    AddSunkenFrame(4, 8, 292, 28);
    AddStatic(0, ResText(IDS_COPY_FROM), 8, 12, 23, 8);
    AddStatic(201, QString(), 32, 12, 260, 8);
    AddStatic(0, ResText(IDS_COPY_TO), 8, 24, 23, 8);
    AddStatic(202, QString(), 32, 24, 260, 8);
    AddStatic(0, ResText(IDS_COPY_FILE_SIZE), 4, 38, 32, 8);
    AddStatic(223, QString(), 36, 38, 80, 8);
    AddStatic(0, ResText(IDS_COPY_COPIED), 128, 38, 28, 8);
    AddStatic(233, QString(), 156, 38, 80, 8);
    AddBar(204, 4, 48, 232, 10);
    AddStatic(203, QString(), 4, 62, 92, 8);
    AddBar(205, 4, 72, 232, 10);
    AddStatic(0, ResText(IDS_COPY_OVERALL), 4, 86, 92, 8);
    AddBar(224, 4, 96, 232, 10);
    AddCancel(ResText(IDS_PROGRESS_CANCEL), 246, 92, 50, 14);
}

QString ProgressDialog::CopyCaption(const std::string& serverName) {
    std::string caption =
        std::string(LoadResString(IDS_COPYING_FILES_TO)) + serverName + LoadResString(IDS_ELLIPSIS);
    if (caption.size() > kCaptionBuffer - 1)
        caption.resize(kCaptionBuffer - 1);
    return FromEngine(caption);
}

void ProgressDialog::SetServerName(const std::string& serverName) {
    if (kind_ != win::DialogKind::CopyFiles)
        return;
    setWindowTitle(CopyCaption(serverName));
    SetField(203, FromEngine(serverName));
}
