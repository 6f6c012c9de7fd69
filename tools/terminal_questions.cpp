#include "tools/terminal_questions.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "resources/string_ids.h"
#include "tools/write_all.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

// The terminal's echo, off while it exists and put back as it was whatever ends the reading.
class EchoOff {
  public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (::tcgetattr(fd_, &saved_) != 0)
            return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        active_ = ::tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_)
            ::tcsetattr(fd_, TCSANOW, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

std::string Lines(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (c != '\r')
            out += c;
    return out;
}

unsigned PromptFor(unsigned style) {
    switch (style & win::MB_TYPEMASK) {
        case win::MB_YESNOCANCEL:
            return IDS_TERM_ASK_YES_NO_CANCEL;
        case win::MB_YESNO:
            return IDS_TERM_ASK_YES_NO;
        default:
            return IDS_TERM_ASK_OK_CANCEL;
    }
}

}  // namespace

bool TerminalQuestions::IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

int TerminalQuestions::AnswerForLetter(unsigned style, char letter) {
    const unsigned type = style & win::MB_TYPEMASK;
    const bool yesNo = type == win::MB_YESNO || type == win::MB_YESNOCANCEL;
    const bool cancel = type == win::MB_YESNOCANCEL || type == win::MB_OKCANCEL;
    switch (std::tolower(static_cast<unsigned char>(letter))) {
        case 'y':
            return yesNo ? win::IDYES : 0;
        case 'n':
            return yesNo ? win::IDNO : 0;
        case 'c':
            return cancel ? win::IDCANCEL : 0;
        case 'o':
            return yesNo ? 0 : win::IDOK;
        default:
            return 0;
    }
}

int TerminalQuestions::AnswerWhenStopped(unsigned style) {
    const unsigned type = style & win::MB_TYPEMASK;
    if (type == win::MB_YESNOCANCEL || type == win::MB_OKCANCEL)
        return win::IDCANCEL;
    return type == win::MB_YESNO ? win::IDNO : win::IDOK;
}

void TerminalQuestions::Write(const std::string& text) {
    if (beforeWriting)
        beforeWriting();
    WriteAll(out_, text);
}

// One line of the input, without its end; a byte at a time, so that what is typed ahead
// stays for the next question.
TerminalQuestions::Input TerminalQuestions::ReadLine(std::string* line) {
    line->clear();
    for (;;) {
        pollfd fds[2] = {{in_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        const int ready = ::poll(fds, stopFd_ >= 0 ? 2 : 1, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Input::Ended;
        }
        // The byte stays in the signal pipe: the run's next pump takes it and stops.
        if (stopFd_ >= 0 && (fds[1].revents & POLLIN))
            return Input::Stopped;
        char c = 0;
        const ssize_t n = ::read(in_, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Input::Ended;
        if (c == '\n')
            return Input::Line;
        *line += c;
    }
}

int TerminalQuestions::AskBox(const win::RecordedBox& box, bool textShown) {
    if (!textShown)
        Write(box.caption + "\n" + Lines(box.text) + "\n");
    for (;;) {
        Write(LoadResString(PromptFor(box.style)));
        std::string line;
        if (ReadLine(&line) != Input::Line) {
            Write("\n");
            return AnswerWhenStopped(box.style);
        }
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos) {
            if (const int answer = AnswerForLetter(box.style, line[first]))
                return answer;
        }
    }
}

bool TerminalQuestions::AskLogin(const std::string& prompt, std::string* entry) {
    Write(FormatText(LoadResString(IDS_TERM_LOGIN_HEADING), prompt.c_str()) + "\n");
    std::string user = *entry;
    if (user.empty()) {
        Write(LoadResString(IDS_TERM_ASK_USER));
        if (ReadLine(&user) != Input::Line || user.empty() ||
            user.find_first_not_of(" \t\r") == std::string::npos)
            return false;
        if (user.back() == '\r')
            user.pop_back();
    }
    // The echo goes off before the prompt appears: nothing typed after it is ever shown.
    const EchoOff echoOff(in_);
    Write(FormatText(LoadResString(IDS_TERM_ASK_PASSWORD), user.c_str()));
    std::string password;
    if (ReadLine(&password) != Input::Line)
        return false;
    *entry = user + ":" + password;
    return true;
}
