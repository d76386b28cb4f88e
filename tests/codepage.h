#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

// The code page the sentence and the log are written in: the ANSI code page on Windows (1252 or
// 932 in the runs under Wine), ISO 8859-1 elsewhere. Rows that depend on it ask this.
inline unsigned eightBitCodePage()
{
#ifdef Q_OS_WIN
    return ::GetACP();
#else
    return 28591;
#endif
}
