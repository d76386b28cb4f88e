#include "ui/portname.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

#ifndef Q_OS_WIN
#include <climits>
#endif

namespace ui {

namespace {

// The context of the words below, for translators.
class PortName
{
    Q_DECLARE_TR_FUNCTIONS(PortName)
};

bool isControl(QChar c)
{
    // Line and paragraph separators break a line as a line feed does.
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

} // namespace

qsizetype longestPortName()
{
#ifdef Q_OS_WIN
    return 32767 - 4;
#else
    return PATH_MAX - 1;
#endif
}

QString portNameProblem(const QString &name)
{
    if (std::any_of(name.cbegin(), name.cend(), isControl))
        return PortName::tr(
            "A port's name holds no control characters, such as line ends or tabs.");
#ifdef Q_OS_WIN
    const qsizetype length = name.size();
    if (length > longestPortName()) {
        return PortName::tr("The name is %1 characters long; the system takes at most %2.")
            .arg(length)
            .arg(longestPortName());
    }
#else
    const qsizetype length = QFile::encodeName(name).size();
    if (length > longestPortName()) {
        return PortName::tr("The name is %1 bytes long; the system takes at most %2.")
            .arg(length)
            .arg(longestPortName());
    }
#endif
    return {};
}

} // namespace ui
