#include "platform/eightbit.h"

#include <QString>

#include <algorithm>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace platform {

namespace {

// An accent typed as a letter and a combining mark ("e" and U+0301, as some keyboards and most
// macOS file names give it) is one character to the user: composed first, it goes out as the
// one byte the set has for it, not as the letter and a "?". Text without combining marks, below
// U+0300, is composed already and taken as it is.
QStringView composed(QStringView text, QString &buffer)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x300; }))
        return text;
    buffer = text.toString().normalized(QString::NormalizationForm_C);
    return buffer;
}

} // namespace

#ifdef Q_OS_WIN

QByteArray toEightBit(QStringView text)
{
    QString composedText;
    text = composed(text, composedText);
    if (text.isEmpty())
        return {};
    // No ANSI code page but UTF-8 holds a character beyond the BMP, and WideCharToMultiByte
    // may give one "?" for each half of its surrogate pair: make it the one "?" it stands for.
    QString single;
    if (GetACP() != CP_UTF8) {
        single.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool pair =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            single.append(pair ? QChar(u'?') : text[i]);
            i += pair ? 1 : 0;
        }
        text = single;
    }
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

bool holdsInEightBit(QStringView text)
{
    QString composedText;
    text = composed(text, composedText);
    if (text.isEmpty())
        return true;
    const auto wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = int(text.size());
    if (GetACP() == CP_UTF8) {
        // UTF-8 holds everything but a lone surrogate, which it refuses outright.
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, length, nullptr, 0, nullptr,
                                   nullptr) > 0;
    }
    BOOL usedFallback = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr,
                            &usedFallback) > 0) {
        return !usedFallback;
    }
    // A code page that cannot say which characters it lacks; toEightBit() sends them as it may.
    return true;
}

#else

QByteArray toEightBit(QStringView text)
{
    QString composedText;
    text = composed(text, composedText);
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

bool holdsInEightBit(QStringView text)
{
    QString composedText;
    text = composed(text, composedText);
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xff; });
}

#endif

} // namespace platform
