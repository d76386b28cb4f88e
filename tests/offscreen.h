#pragma once

#include <QByteArray>

// A GUI test started on its own, from an IDE or a terminal with no desktop, needs no display
// either: it takes the offscreen platform unless told another. Windows always has a desktop.
#ifndef Q_OS_WIN
namespace {
void useOffscreenPlatform()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
}
Q_CONSTRUCTOR_FUNCTION(useOffscreenPlatform)
} // namespace
#endif
