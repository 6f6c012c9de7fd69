#include "tools/run_window_system.h"

#include "resources/string_ids.h"
#include "util/string_table.h"

bool RunWindowSystem::IsError(const std::string& text, unsigned style) {
    return (style & win::MB_ICONMASK) == win::MB_ICONSTOP ||
           text.rfind(LoadResString(IDS_BATCH_ERROR_PREFIX), 0) == 0;
}

std::string RunWindowSystem::OneLine(const std::string& text) {
    std::string line;
    for (const std::string& part : win::TextLines(text))
        if (!part.empty())
            line += (line.empty() ? "" : " ") + part;
    return line;
}

void RunWindowSystem::AskAt(TerminalQuestions* terminal, bool outputIsSameTerminal) {
    if (!terminal) {
        ask = nullptr;
        askLogin = nullptr;
        return;
    }
    // The text is not repeated when the box has just been printed on the same terminal.
    ask = [this, terminal, outputIsSameTerminal](const win::RecordedBox& box) {
        return terminal->AskBox(box, outputIsSameTerminal && echo != nullptr);
    };
    askLogin = [terminal](const std::string& prompt, std::string* entry) {
        return terminal->AskLogin(prompt, entry);
    };
}

template <typename Show>
int RunWindowSystem::Printed(bool printed, Show show) {
    std::ostream* const kept = echo;
    if (!printed)
        echo = nullptr;
    const int result = show();
    echo = kept;
    return result;
}

int RunWindowSystem::MessageBox(win::WindowId owner, const std::string& text,
                                const std::string& caption, unsigned style) {
    const bool error = IsError(text, style);
    const bool summary = (style & win::MB_ICONMASK) == win::MB_ICONINFORMATION;
    const int answer = Printed(!quiet || error || summary, [&] {
        return ScriptedWindowSystem::MessageBox(owner, text, caption, style);
    });
    if (errors && text.rfind(LoadResString(IDS_BATCH_ERROR_PREFIX), 0) == 0)
        *errors << OneLine(text) << '\n' << std::flush;
    return answer;
}

int RunWindowSystem::ShowLoginDialog(win::WindowId owner) {
    return Printed(!quiet, [&] { return ScriptedWindowSystem::ShowLoginDialog(owner); });
}
