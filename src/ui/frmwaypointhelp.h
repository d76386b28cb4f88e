#pragma once

#include <QWidget>

// How to connect the receiver and how to type the values. A window of its own, without a
// parent, so that it stays open after the main window has gone.
class frmWaypointHelp : public QWidget
{
    Q_OBJECT

public:
    frmWaypointHelp();
};
