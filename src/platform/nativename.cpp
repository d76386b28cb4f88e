#include "platform/nativename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <unistd.h>
#include <vector>
#endif

namespace platform {

namespace {

#ifndef Q_OS_WIN
// The length of the well-formed UTF-8 sequence at the start of the bytes, or 0 if there is none:
// no overlong forms, no surrogates, nothing beyond U+10FFFF.
qsizetype utf8SequenceLength(const unsigned char *bytes, qsizetype available)
{
    const unsigned char lead = bytes[0];
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        secondLow = lead == 0xe0 ? 0xa0 : 0x80;
        secondHigh = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        secondLow = lead == 0xf0 ? 0x90 : 0x80;
        secondHigh = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (available < length || bytes[1] < secondLow || bytes[1] > secondHigh)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (bytes[i] < 0x80 || bytes[i] > 0xbf)
            return 0;
    }
    return length;
}
#endif

} // namespace

NativeName::NativeName(const QString &text)
#ifdef Q_OS_WIN
    : m_name(text)
#else
    : m_name(QFile::encodeName(text))
#endif
{}

NativeName NativeName::fromNative(Native name)
{
    NativeName native;
    native.m_name = std::move(name);
    return native;
}

std::optional<QString> NativeName::toText() const
{
#ifdef Q_OS_WIN
    return m_name;
#else
    const QString text = QFile::decodeName(m_name);
    if (QFile::encodeName(text) != m_name)
        return std::nullopt;
    return text;
#endif
}

QString displayName(const NativeName &name)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(name.native());
#else
    const QByteArray &bytes = name.native();
    const auto data = reinterpret_cast<const unsigned char *>(bytes.constData());
    QString shown;
    shown.reserve(bytes.size());
    qsizetype textStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = utf8SequenceLength(data + i, bytes.size() - i);
        if (length > 0) {
            i += length;
            continue;
        }
        shown += QString::fromUtf8(bytes.constData() + textStart, i - textStart);
        shown += QStringLiteral("\\x%1").arg(data[i], 2, 16, QLatin1Char('0'));
        textStart = ++i;
    }
    shown += QString::fromUtf8(bytes.constData() + textStart, bytes.size() - textStart);
    return QDir::toNativeSeparators(shown);
#endif
}

NativeName workingFolder()
{
#ifdef Q_OS_WIN
    // GetCurrentDirectoryW: UTF-16, as the system has it.
    return QDir::currentPath();
#else
    // QDir::currentPath() decodes the name, and a name that is not UTF-8 would not come back.
    std::vector<char> buffer(256);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return NativeName::fromNative(QByteArray(buffer.data()));
#endif
}

NativeName documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#ifndef Q_OS_WIN
    // Qt reads user-dirs.dirs as text, and a folder whose name is not UTF-8 comes back with its
    // bytes replaced. Read here as bytes, the line that Qt took gives them back.
    const QString dirs = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/user-dirs.dirs");
    QFile file(dirs);
    if (!documents.isEmpty() && QFileInfo(dirs).isFile() && file.open(QIODevice::ReadOnly)) {
        const QByteArray key = "XDG_DOCUMENTS_DIR=";
        for (QByteArray line : file.readAll().split('\n')) {
            line = line.trimmed();
            if (!line.startsWith(key))
                continue;
            QByteArray value = line.sliced(key.size());
            if (value.size() > 2 && value.startsWith('"') && value.endsWith('"'))
                value = value.sliced(1, value.size() - 2);
            if (value.startsWith("$HOME"))
                value.replace(0, 5, QFile::encodeName(QDir::homePath()));
            if (QFile::decodeName(value) == documents)
                return NativeName::fromNative(value);
        }
    }
#endif
    return documents;
}

QString enterFolder(const NativeName &folder)
{
#ifdef Q_OS_WIN
    if (::SetCurrentDirectoryW(reinterpret_cast<LPCWSTR>(folder.native().utf16())))
        return {};
    return qt_error_string(int(::GetLastError()));
#else
    if (::chdir(folder.native().constData()) == 0)
        return {};
    return qt_error_string(errno);
#endif
}

} // namespace platform
