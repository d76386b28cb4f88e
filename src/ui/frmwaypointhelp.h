#pragma once

#include <QDialog>

// How to connect the receiver and how to type the values. A window of its own, without a
// parent, so that it stays open after the main window has gone; a dialog, so that screen readers
// announce it as a window and Escape closes it.
class frmWaypointHelp : public QDialog
{
    Q_OBJECT

public:
    frmWaypointHelp();

protected:
    // The format line's caption font follows a desktop font changed at run time.
    void changeEvent(QEvent *event) override;
};
