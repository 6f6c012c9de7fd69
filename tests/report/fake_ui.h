#pragma once
// A window system for the message and log tests: records every message box and answers
// from a queue (OK when the queue is empty). Everything else does nothing.

#include <deque>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace report_test {

struct Box {
    win::WindowId owner;
    std::string text;
    std::string caption;
    unsigned style;
};

class FakeUi : public win::WindowSystem {
  public:
    std::vector<Box> boxes;
    std::deque<int> answers;

    int MessageBox(win::WindowId owner, const std::string& text, const std::string& caption,
                   unsigned style) override {
        boxes.push_back(Box{owner, text, caption, style});
        if (answers.empty()) {
            return win::IDOK;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    win::WindowId CreateProgressDialog(win::DialogKind, win::WindowId) override {
        return win::kNoWindow;
    }
    void DestroyDialog(win::WindowId) override {}
    bool IsWindow(win::WindowId) override { return false; }
    void SetDlgItemText(win::WindowId, int, const std::string&) override {}
    void SetProgressPos(win::WindowId, int, int) override {}
    void SendServerName(win::WindowId, const std::string&) override {}
    void EnableWindow(win::WindowId, bool) override {}
    void PumpMessages() override {}
    bool MeasureControlText(win::WindowId, int, const std::string&, int*, int*) override {
        return false;
    }
    void SetWaitCursor(bool) override {}
    void MessageBeep(unsigned) override {}
    void ServerListReset() override {}
    void ServerListAdd(const std::string&) override {}
    std::vector<int> ServerListSelection() override { return {}; }
    std::string ServerListText(int) override { return {}; }
    int ShowLoginDialog(win::WindowId) override { return win::IDCANCEL; }
    int RunOptionsSheet(win::WindowId) override { return 0; }
    void WinHelp(win::WindowId, const char*, unsigned, std::uintptr_t) override {}
};

}  // namespace report_test
