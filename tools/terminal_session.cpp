#include "tools/terminal_session.h"

#include <unistd.h>

#include <iostream>

TerminalSession::TerminalSession(RunWindowSystem& ui, bool showProgress)
    : ui_(ui), questions_(STDIN_FILENO, STDERR_FILENO), feed_(ui) {
    if (showProgress) {
        progress_.emplace(STDERR_FILENO);
        out_.emplace(std::cout, *progress_);
        err_.emplace(std::cerr, *progress_);
        questions_.beforeWriting = [this] { progress_->Clear(); };
    }
    if (TerminalQuestions::IsTerminal(STDIN_FILENO))
        ui_.AskAt(&questions_, TerminalQuestions::IsTerminal(STDOUT_FILENO));
}

TerminalSession::~TerminalSession() {
    ui_.AskAt(nullptr, false);
}

void TerminalSession::Pump() {
    if (!progress_)
        return;
    const auto now = ProgressLine::Clock::now();
    if (progress_->Due(now))
        progress_->Show(feed_.Take(), now);
}

void TerminalSession::ShowRun(const ProgressSnapshot& run) {
    if (!progress_)
        return;
    const auto now = ProgressLine::Clock::now();
    if (progress_->Due(now))
        progress_->Show(run, now);
}

void TerminalSession::EndProgress() {
    if (progress_)
        progress_->Clear();
}
