#pragma once
// The questions farcast-run puts to a person at the terminal: a message box that no --answer
// answers, and a login whose password is not given. The text goes to the terminal's output
// (standard error), the answer is read from its input (standard input) as a letter, and a
// password is read without echo. A stop signal while waiting, or the end of the input, answers
// Cancel (No where the box has no Cancel): what is not said is never taken for Yes.

#include <functional>
#include <string>

#include "scripted/scripted_window_system.h"

class TerminalQuestions {
  public:
    TerminalQuestions(int inputFd, int outputFd) : in_(inputFd), out_(outputFd) {}

    static bool IsTerminal(int fd);

    // Readable once a stop signal has come (StopSignals::ReadFd); -1: none watched.
    void WatchStopSignals(int fd) { stopFd_ = fd; }
    // Called before anything is written to the terminal (a progress line to clear).
    std::function<void()> beforeWriting;

    // Shows the box's caption and text unless textShown (already on the same terminal), then
    // asks until a letter of one of its buttons is given.
    int AskBox(const win::RecordedBox& box, bool textShown);
    // Completes *entry ("" or "USER") to "USER:PASSWORD": asks the user name when none is
    // given (an empty one cancels) and the password without echo. False: cancelled.
    bool AskLogin(const std::string& prompt, std::string* entry);

    // The answer a letter gives for a box of this style, or 0 when it names no button.
    static int AnswerForLetter(unsigned style, char letter);
    // The answer when nobody can say: Cancel where the box has it, else No, else OK.
    static int AnswerWhenStopped(unsigned style);

  private:
    enum class Input { Line, Stopped, Ended };
    void Write(const std::string& text);
    Input ReadLine(std::string* line);

    int in_;
    int out_;
    int stopFd_ = -1;
};
