#pragma once

#include <QWidget>

// Names the product and its makers. A window of its own, without a parent, so that it stays
// open after the main window has gone.
class frmWaypointAbout : public QWidget
{
    Q_OBJECT

public:
    frmWaypointAbout();
};
