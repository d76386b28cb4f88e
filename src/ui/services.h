#pragma once

#include "gps_link/gpslink.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "platform/nativename.h"

// What the main window takes from outside: the real ones by default, recorded or fixed in tests.
struct Services
{
    platform::Messenger message = platform::showMessageBox;
    platform::Clock clock = platform::Clock::system();
    platform::NativeName portName = GpsLink::firstSerialPortName();
};
