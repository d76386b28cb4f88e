#pragma once

#include "gps_link/portaccess.h"

#include <QString>
#include <QStringList>

namespace ui {

// The way forward, in a sentence or two, to follow the system's own reason in a message: from
// what the system says of the port's group and of the ports present.
QString portAdvice(const QString &portName, PortProblem problem, const PortGroup &group,
                   const QStringList &presentPorts);

} // namespace ui
