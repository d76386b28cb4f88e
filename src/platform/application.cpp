#include "platform/application.h"

#include <cstdlib>
#include <exception>

namespace platform {

Application::Application(int &argc, char **argv, Messenger report)
    : QApplication(argc, argv), m_report(std::move(report))
{
    // Once, here: every QSettings made without a file of its own finds the user's settings
    // under these names.
    setOrganizationName(QString::fromLatin1(applicationTitle));
    setApplicationName(QString::fromLatin1(applicationTitle));
    if (m_plurals.load(QStringLiteral(":/translations/pindrel_en.qm")))
        installTranslator(&m_plurals);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        reportAndExit(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportAndExit(tr("An unknown error occurred."));
    }
    return false;
}

void Application::reportAndExit(const QString &description)
{
    // The report's own event loop may deliver further failing events; one report is enough.
    if (m_failed)
        return;
    m_failed = true;
    m_report(nullptr, tr("Run-time error: %1\n\nPindrel will now close.").arg(description));
    exit(EXIT_FAILURE);
}

} // namespace platform
