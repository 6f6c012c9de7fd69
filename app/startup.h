#pragma once
// The program's start-up, in this order: the window system and the cancel handler; the
// settings key (its failure ends the program with message 347); the main window at the stored
// placement with its server list; the options; one box about settings files that could not be
// read, if any; the banner; the simulated network (the demo network is created at the default
// location when none exists there yet; an unusable network ends the program with its
// message), the NetWare client and the server list (their failures end the program, the main
// window being shown); the accelerators; the first-start help. Then the event loop.

#include <memory>

#include "app/main_window.h"
#include "app/qt_window_system.h"
#include "netware/sim/sim_network.h"

// Everything the running program holds, released in reverse order.
struct FarcastSession {
    std::unique_ptr<QtWindowSystem> ui;  // created by StartFarcast unless already set
    std::unique_ptr<sim::SimNetwork> network;
    std::unique_ptr<MainWindow> window;
    ~FarcastSession();
};

// The start-up steps up to the event loop. False when the program is to end (any message has
// been shown); the main window may then exist already.
bool StartFarcast(FarcastSession* session);

// The network the program uses: the one at root, or, when root is the default location (no
// FARCAST_NETWORK) and holds no network yet, the demo network created there and announced
// once. Null when there is none to use (its message has been shown, owned by owner).
std::unique_ptr<sim::SimNetwork> OpenStartupNetwork(win::WindowId owner);

// One warning box, owned by owner, naming every settings file the registry could not read
// since the last call and where its copy was kept; nothing when there is none. Shown in
// unattended mode too: it is a start-up message.
void ShowSettingsProblems(win::WindowId owner);

// start-up, the event loop, and the exit code (0).
int RunFarcast();
