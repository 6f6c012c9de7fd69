// The GUI test program: one QApplication for every test, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/help_viewer.h"

namespace {

// The offscreen platform with two screens side by side: the first as the platform's default
// one (800 x 800 at the origin), a larger second one to its right, so that placement on
// several screens is tested. Empty when the tests run on another platform.
std::string TwoScreenPlatform(const QTemporaryDir& dir) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::strcmp(platform, "offscreen") != 0)
        return {};
    const QString path = dir.filePath(QStringLiteral("screens.json"));
    QFile config(path);
    if (!config.open(QIODevice::WriteOnly))
        return {};
    config.write(R"({"screens": [
        {"name": "first", "x": 0, "y": 0, "width": 800, "height": 800, "logicalDpi": 96},
        {"name": "second", "x": 800, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96}
    ]})");
    config.close();
    return "offscreen:configfile=" + path.toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir configDir;
    const std::string twoScreens = TwoScreenPlatform(configDir);
    if (!twoScreens.empty())
        setenv("QT_QPA_PLATFORM", twoScreens.c_str(), 1);
    else
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CloseHelpViewer();
    return result;
}
