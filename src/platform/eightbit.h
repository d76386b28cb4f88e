#pragma once

#include <QByteArray>
#include <QStringView>

namespace platform {

// Converts text to the system's 8-bit character set: the ANSI code page on Windows, ISO 8859-1
// elsewhere. A character the set cannot hold becomes a single "?". The port, the log and the
// checksum all take their bytes from here, so that what is checked is what is sent. The text is
// put in its composed form (NFC) first, so a letter typed with a combining accent is one byte.
QByteArray toEightBit(QStringView text);

// Whether the system's 8-bit character set holds every character of the text, so that
// toEightBit() gives no "?" for it.
bool holdsInEightBit(QStringView text);

} // namespace platform
