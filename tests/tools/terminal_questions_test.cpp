// Questions at a terminal, through a pseudo-terminal: the box's text, the answer read as a
// letter, a password read without echo, and a stop signal or the end of the input taken as
// Cancel (No), never as Yes.

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "tools/terminal_questions.h"

namespace {

// Both ends of a pseudo-terminal; what is typed is written to the master before asking.
class TerminalQuestionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(::openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
        ASSERT_EQ(::pipe(stop_), 0);
    }
    void TearDown() override {
        for (int fd : {master_, slave_, stop_[0], stop_[1]})
            ::close(fd);
    }
    void Type(const std::string& text) {
        ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // Everything the terminal shows so far (what was written, and what it echoed).
    std::string Screen() {
        std::string text;
        char buffer[4096];
        termios settings{};
        ::tcgetattr(master_, &settings);
        for (;;) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(master_, &set);
            timeval wait{0, 100000};
            if (::select(master_ + 1, &set, nullptr, nullptr, &wait) <= 0)
                return text;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                return text;
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    win::RecordedBox Box(unsigned style) {
        win::RecordedBox box;
        box.caption = "Farcast";
        box.text = "Do you want to delete \\\\T1\\DATA\\old.txt?";
        box.style = style;
        return box;
    }

    int master_ = -1;
    int slave_ = -1;
    int stop_[2] = {-1, -1};
};

TEST_F(TerminalQuestionsTest, TheAnswerIsReadAsALetterUntilItNamesAButton) {
    TerminalQuestions terminal(slave_, slave_);
    Type("x\n\n  N\n");
    EXPECT_EQ(terminal.AskBox(Box(win::MB_YESNOCANCEL), false), win::IDNO);
    const std::string screen = Screen();
    EXPECT_NE(screen.find("Do you want to delete \\\\T1\\DATA\\old.txt?"), std::string::npos);
    EXPECT_NE(screen.find("[y]es, [n]o or [c]ancel? "), std::string::npos);
}

TEST_F(TerminalQuestionsTest, LettersOfEachKindOfBox) {
    const struct {
        unsigned style;
        char letter;
        int answer;
    } kCases[] = {
        {win::MB_YESNOCANCEL, 'y', win::IDYES},
        {win::MB_YESNOCANCEL, 'C', win::IDCANCEL},
        {win::MB_YESNO, 'n', win::IDNO},
        {win::MB_YESNO, 'c', 0},
        {win::MB_YESNO, 'o', 0},
        {win::MB_OKCANCEL, 'o', win::IDOK},
        {win::MB_OKCANCEL, 'y', 0},
        {win::MB_YESNOCANCEL, 'q', 0},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(TerminalQuestions::AnswerForLetter(c.style, c.letter), c.answer)
            << c.style << " " << c.letter;
}

TEST_F(TerminalQuestionsTest, TheEndOfTheInputIsNeverYes) {
    TerminalQuestions terminal(slave_, slave_);
    Type("\x04");  // ^D: the end of the input
    EXPECT_EQ(terminal.AskBox(Box(win::MB_YESNOCANCEL), true), win::IDCANCEL);
    Type("\x04");
    EXPECT_EQ(terminal.AskBox(Box(win::MB_YESNO), true), win::IDNO);
}

TEST_F(TerminalQuestionsTest, AStopSignalAnswersCancelAndStaysForTheRun) {
    TerminalQuestions terminal(slave_, slave_);
    terminal.WatchStopSignals(stop_[0]);
    ASSERT_EQ(::write(stop_[1], "x", 1), 1);
    EXPECT_EQ(terminal.AskBox(Box(win::MB_YESNOCANCEL), true), win::IDCANCEL);
    char byte = 0;
    EXPECT_EQ(::read(stop_[0], &byte, 1), 1);  // left for the run's pump
}

TEST_F(TerminalQuestionsTest, ThePasswordIsNotEchoed) {
    TerminalQuestions terminal(slave_, slave_);
    std::string entry = "SUPERVISOR";
    // Typed as a person types: once the prompt is there.
    std::string screen;
    const pid_t child = ::fork();
    if (child == 0) {
        std::string seen;
        char buffer[256];
        while (seen.find("Password for SUPERVISOR: ") == std::string::npos) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                ::_exit(1);
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        const char typed[] = "NETWARE\n";
        ::_exit(::write(master_, typed, sizeof typed - 1) == sizeof typed - 1 ? 0 : 1);
    }
    ASSERT_TRUE(terminal.AskLogin("Enter the user name and password", &entry));
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(entry, "SUPERVISOR:NETWARE");
    screen = Screen();
    EXPECT_EQ(screen.find("NETWARE\r"), std::string::npos) << screen;
    termios settings{};
    ASSERT_EQ(::tcgetattr(slave_, &settings), 0);
    EXPECT_TRUE(settings.c_lflag & ECHO);  // put back
}

TEST_F(TerminalQuestionsTest, AnEmptyUserNameCancelsTheLogin) {
    TerminalQuestions terminal(slave_, slave_);
    std::string entry;
    Type("\n");
    EXPECT_FALSE(terminal.AskLogin("Enter the user name and password", &entry));
    EXPECT_NE(Screen().find("Login: Enter the user name and password"), std::string::npos);
}

}  // namespace
