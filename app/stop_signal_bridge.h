#pragma once
// SIGTERM and SIGINT in the desktop program. A running run is cancelled as its dialog's Cancel
// cancels it, any box or dialog waiting for the user gets the answer that stops (Cancel, else
// No, else OK), and the program then ends as its Exit command ends it (options and window
// placement saved), once the run has returned. The signal reaches the event loop through
// StopSignals' pipe and a socket notifier: nothing is done inside the handler.

#include <QObject>
#include <QTimer>

#include "util/stop_signals.h"

class QSocketNotifier;

class StopSignalBridge : public QObject {
    Q_OBJECT
  public:
    explicit StopSignalBridge(QObject* parent = nullptr);
    ~StopSignalBridge() override;

    bool Installed() const { return signals_.Installed(); }
    // True once a stop signal has come: the program is on its way out.
    bool Ending() const { return ending_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SignalArrived();
    void CancelRun();
    void AnswerWaitingDialog();
    void CloseMainWindow();
    void QuitWhenTheEventLoopRuns();

    StopSignals signals_;
    QTimer quitTimer_;
    QSocketNotifier* notifier_ = nullptr;
    bool ending_ = false;
};
