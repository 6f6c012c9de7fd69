#include "app/banner.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QTimer>

#include "app/app_icon.h"
#include "app/scrambled_text.h"
#include "app/window_placement.h"

namespace {

QFrame* MakeFrame(QWidget* parent, QFrame::Shape shape, const QRect& rect) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(shape);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setLineWidth(1);
    frame->setGeometry(rect);
    return frame;
}

constexpr ScrambledText kLineTexts[6] = {
    ScrambledText::kBannerLine1, ScrambledText::kBannerLine2, ScrambledText::kBannerLine3,
    ScrambledText::kBannerLine4, ScrambledText::kBannerLine5, ScrambledText::kBannerLine6,
};
// Top of each line in dialog units: three title lines in the upper panel, three footer lines
// in the lower one.
constexpr int kLineTops[6] = {11, 19, 27, 106, 114, 122};

}  // namespace

StartupBanner::StartupBanner(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                              Qt::WindowDoesNotAcceptFocus),
      mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("StartupBanner"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // No buttons and no input: clicks fall through and the banner never takes the focus.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFont(DialogUnits::DialogFont());
    setAutoFillBackground(true);
    setFixedSize(units_.X(kWidthUnits), units_.Y(kHeightUnits));

    outerFrame_ = MakeFrame(this, QFrame::Box, units_.Rect(4, 4, 148, 134));
    upperPanel_ = MakeFrame(this, QFrame::Panel, units_.Rect(8, 8, 140, 33));
    lowerPanel_ = MakeFrame(this, QFrame::Panel, units_.Rect(8, 72, 140, 62));

    for (int i = 0; i < 6; ++i) {
        auto* line = new QLabel(QString::fromStdString(UnscrambledText(kLineTexts[i])), this);
        line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        line->setTextFormat(Qt::PlainText);
        line->setGeometry(units_.Rect(12, kLineTops[i], 132, 8));
        lines_[i] = line;
    }
    // The program's name stands out.
    QFont nameFont = lines_[0]->font();
    nameFont.setBold(true);
    lines_[0]->setFont(nameFont);

    // The large icon, centred between the panels. Its left edge is computed in pixels so that
    // it is centred whatever the dialog font's base units are.
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("id_%1").arg(kIconId));
    icon_->setPixmap(AppIcon().pixmap(iconSize, iconSize));
    icon_->setGeometry((width() - iconSize) / 2, units_.Y(48), iconSize, iconSize);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(kDisplayMilliseconds);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &StartupBanner::TimerFired);
}

void StartupBanner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!timer_->isActive())
        timer_->start();
}

void StartupBanner::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The thin window border of a popup dialog.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void StartupBanner::TimerFired() {
    timer_->stop();
    hide();
    if (mainWindow_) {
        mainWindow_->raise();
        mainWindow_->activateWindow();
    }
    deleteLater();
}

void ShowStartupBanner(QWidget* mainWindow) {
    auto* banner = new StartupBanner(mainWindow);
    CentreOnScreen(banner, 0, 0);
    banner->show();
    banner->raise();
    banner->update();
}
