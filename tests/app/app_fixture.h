#pragma once
// What the GUI tests share: private settings and data directories, a fresh program state, the
// Qt window system with its boxes answered and recorded instead of shown.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/help_viewer.h"
#include "app/qt_window_system.h"
#include "copy/copy_run.h"
#include "copy/progress_dialogs.h"
#include "platform/registry.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"
#include "tests/support/engine_state.h"
#include "tests/support/scoped_environment.h"

class AppTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dirs_.isValid());
        setenv("XDG_CONFIG_HOME", Dir("config").c_str(), 1);
        setenv("XDG_DATA_HOME", Dir("data").c_str(), 1);
        unsetenv("FARCAST_NETWORK");
        win::SetRegistryDirectory("");
        win::ResetRegistry();
        ResetEngineState();
        ui_.SetBoxAnswerer([this](const QtWindowSystem::Box& box) {
            boxes_.push_back(box);
            return answer_;
        });
        win::SetUi(&ui_);
        win::SetDialogCancelHandler(&ProgressDialogCancelled);
    }

    void TearDown() override {
        CloseHelpViewer();
        QApplication::processEvents();
        win::SetDialogCancelHandler(nullptr);
        win::SetUi(nullptr);
        // The hives were read from this test's directory.
        win::ResetRegistry();
    }

    std::string Dir(const std::string& name) const {
        return dirs_.filePath(QString::fromStdString(name)).toStdString();
    }

    // A DWORD of the settings key as the hive file on disk holds it; -1 when absent.
    static std::int64_t StoredDword(const char* name) {
        win::ResetRegistry();
        win::ScopedKey key;
        if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, "Software\\Ostrand\\Farcast",
                              key.Receive()) != win::ERROR_SUCCESS)
            return -1;
        std::uint32_t type = 0, value = 0, size = sizeof value;
        if (win::RegQueryValueEx(key.Get(), name, &type, &value, &size) != win::ERROR_SUCCESS ||
            type != win::REG_DWORD)
            return -1;
        return value;
    }

    // Put back as they were when the test ends.
    ScopedEnvironment environment_{"XDG_CONFIG_HOME", "XDG_DATA_HOME", "FARCAST_NETWORK"};
    QTemporaryDir dirs_;
    QtWindowSystem ui_;
    std::vector<QtWindowSystem::Box> boxes_;
    int answer_ = win::IDOK;
};

// Runs check on the modal window that the next call opens, once it is up.
template <typename Check>
void WhenModalOpens(Check check) {
    QTimer::singleShot(0, [check] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        check(modal);
    });
}

// Whether the keyboard's focus comes to widget (the window system activates windows in its own
// time): waits for it a few seconds at most.
inline bool FocusComesTo(const QWidget* widget) {
    return QTest::qWaitFor([widget] { return QApplication::focusWidget() == widget; });
}

// Types a key or text where the keyboard's focus is, as a user does.
inline void TypeAtFocus(Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, key);
}
inline void TypeAtFocus(const QString& text) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClicks(focus, text);
}
