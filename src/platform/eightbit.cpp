#include "platform/eightbit.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

QByteArray toEightBit(QStringView text)
{
    if (text.isEmpty())
        return {};
    const auto wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = int(text.size());
    // Best-fit mapping would silently turn characters into look-alikes; "?" is honest.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    const char *fallback = "?";
    int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, fallback, nullptr);
    if (size == 0) {
        // Some code pages (UTF-8 among them) take neither the flag nor a fallback character.
        flags = 0;
        fallback = nullptr;
        size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    }
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), size, fallback, nullptr);
    return bytes;
}

#else

QByteArray toEightBit(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    const QChar *in = text.data();
    const QChar *const end = in + text.size();
    for (; in != end; ++in) {
        if (in->unicode() <= 0xff) {
            *out++ = char(in->unicode());
            continue;
        }
        // A character beyond the BMP is one character to the user: one "?", not two.
        if (in->isHighSurrogate() && in + 1 != end && in[1].isLowSurrogate())
            ++in;
        *out++ = '?';
    }
    bytes.truncate(out - bytes.data());
    return bytes;
}

#endif

} // namespace platform
