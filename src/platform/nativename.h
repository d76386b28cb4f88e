#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// A file, folder or port name in the system's own form: bytes on POSIX, which need not be text in
// any encoding (an old disk's "caf\xe9"), and UTF-16 on Windows. Text always has such a form, so
// it converts implicitly; the way back is only for showing, since a QString cannot carry bytes
// that are not UTF-8.
class NativeName
{
public:
#ifdef Q_OS_WIN
    using Native = QString;
#else
    using Native = QByteArray;
#endif

    NativeName() = default;
    NativeName(const QString &text); // NOLINT(google-explicit-constructor): text never loses
    static NativeName fromNative(Native name);

    const Native &native() const
    {
        return m_name;
    }
    bool isEmpty() const
    {
        return m_name.isEmpty();
    }

    // The same name as text, for an interface that takes only text (QSerialPort), when that text
    // stands for exactly these bytes.
    std::optional<QString> toText() const;

    friend bool operator==(const NativeName &, const NativeName &) = default;

private:
    Native m_name;
};

// How messages show a file's or a port's name: readable, in the system's separators, with each
// byte that is not part of UTF-8 text written as \xNN, as in "caf\xe9".
QString displayName(const NativeName &name);

// The folder the program was started in, as the system names it; empty when it has none (it was
// deleted).
NativeName workingFolder();

// The user's Documents folder, wherever it has been moved, as the system names it; empty when
// there is none.
NativeName documentsFolder();

// Makes the folder the working folder. Returns the system's reason when it cannot, else an
// empty string.
QString enterFolder(const NativeName &folder);

} // namespace platform
