#pragma once

#include <QDialog>

class QLabel;

// Names the product and its makers. A window of its own, without a parent, so that it stays
// open after the main window has gone; a dialog, so that screen readers announce it as a window
// and Escape closes it.
class frmWaypointAbout : public QDialog
{
    Q_OBJECT

public:
    frmWaypointAbout();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Draws the picture for the screen the window is on, sharp at any scale.
    void drawPicture();

    QLabel *Image1 = nullptr;
};
