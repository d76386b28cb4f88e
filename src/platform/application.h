#pragma once

#include "platform/messagebox.h"

#include <QApplication>
#include <QTranslator>

namespace platform {

// The application object with the run-time error report: a failure that escapes a command is
// shown once, in a modal box, and the program then ends with a failure status. Destructors
// still run on the way out, so open files are closed with what was written to them.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv, Messenger report = showMessageBox);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    void reportAndExit(const QString &description);

    Messenger m_report;
    // The English plural forms of texts with a count.
    QTranslator m_plurals;
    bool m_failed = false;
};

} // namespace platform
