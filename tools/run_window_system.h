#pragma once
// farcast-run's window system: the scripted one, with what scripts and a person at a terminal
// need on top of it.
//
// - Every error text ("ERROR - ...") is also written to the error stream, on one line, so that
//   `2>errors.log` keeps them apart from everything else.
// - quiet: only errors (stop icon or "ERROR - ") and the summary (the one box with the
//   information icon) are printed; other boxes and the login dialog are answered unprinted.
// - A question the script has no answer for is asked at the terminal when there is one.

#include <ostream>

#include "scripted/scripted_window_system.h"
#include "tools/terminal_questions.h"

class RunWindowSystem : public win::ScriptedWindowSystem {
  public:
    RunWindowSystem() = default;

    bool quiet = false;
    std::ostream* errors = nullptr;
    // Asks what the script does not answer; null: the answer that goes on is taken.
    void AskAt(TerminalQuestions* terminal, bool outputIsSameTerminal);

    int MessageBox(win::WindowId owner, const std::string& text, const std::string& caption,
                   unsigned style) override;
    int ShowLoginDialog(win::WindowId owner) override;

    // An error as the engine counts one: the stop icon, or a text that begins "ERROR - ".
    static bool IsError(const std::string& text, unsigned style);
    // The text on one line: its lines joined by single blanks, empty ones left out.
    static std::string OneLine(const std::string& text);

  private:
    // Runs show with the echo off when the quiet rule leaves the output out.
    template <typename Show>
    int Printed(bool printed, Show show);
};
