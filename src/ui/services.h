#pragma once

#include "gps_link/drainworker.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "platform/nativename.h"

#include <QtGlobal>

#include <functional>
#include <optional>

class QWidget;

// What the main window takes from outside: the real ones by default, recorded or fixed in tests.
struct Services
{
    platform::Messenger message = platform::showMessageBox;
    platform::Clock clock = platform::Clock::system();
    // Where the choices made in the window are kept between runs: empty for the user's own
    // settings, or a file of the caller's own.
    QString settingsFile = {};
    // Given on the command line, for this run only; empty for the port chosen last.
    platform::NativeName portName = {};
    // The serial port's speed for this run; none for the one chosen last.
    std::optional<qint32> baudRate = {};
    // Waits for the port's line to drain; empty for the system's own wait.
    DrainWorker::Step drainStep = {};
    // Runs on the port's thread before each open; empty for none.
    std::function<void()> openWait = {};
    // Asks for a file of waypoints to send; empty for the system's file dialog.
    std::function<QString(QWidget *parent)> chooseWaypointFile = {};
};
