#pragma once
// The start-up banner: a borderless topmost window in the middle of the screen, shown right
// after the main window while the network starts up. It takes no input and closes itself
// after kDisplayMilliseconds, then makes the main window the active window.

#include <QPointer>
#include <QWidget>

#include "app/dialog_units.h"

class QFrame;
class QLabel;
class QTimer;

class StartupBanner : public QWidget {
    Q_OBJECT

  public:
    // Not 3,700: the banner stays up for exactly this long once the event loop runs.
    static constexpr int kDisplayMilliseconds = 3723;
    static constexpr int kIconId = 2704;
    // Size in dialog units.
    static constexpr int kWidthUnits = 156;
    static constexpr int kHeightUnits = 142;

    explicit StartupBanner(QWidget* mainWindow);

    // The one-shot timer that closes the banner; it starts when the banner is shown.
    QTimer* Timer() const { return timer_; }
    // The three title lines (0-2) and the three footer lines (3-5).
    QLabel* Line(int index) const { return lines_[index]; }
    QLabel* Icon() const { return icon_; }
    QFrame* OuterFrame() const { return outerFrame_; }
    QFrame* UpperPanel() const { return upperPanel_; }
    QFrame* LowerPanel() const { return lowerPanel_; }
    const DialogUnits& Units() const { return units_; }

    // What the timer does when it fires: closes the banner (deleted later) and makes the main
    // window the active window.
    void TimerFired();

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    DialogUnits units_;
    QPointer<QWidget> mainWindow_;
    QTimer* timer_ = nullptr;
    QFrame* outerFrame_ = nullptr;
    QFrame* upperPanel_ = nullptr;
    QFrame* lowerPanel_ = nullptr;
    QLabel* lines_[6] = {};
    QLabel* icon_ = nullptr;
};

// Shows the banner centred on the screen, owned by the main window; start-up goes on at once
// and the banner closes itself.
void ShowStartupBanner(QWidget* mainWindow);
