#pragma once

#include "position/positionreader.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "Position": one line to type or paste a position into, in any form people hold them in, with
// how it reads (or why it does not) shown live below it.
class frmEnterPosition : public QDialog
{
    Q_OBJECT

public:
    // Starts with the clipboard's text when that reads as a position.
    explicit frmEnterPosition(QWidget *parent);

    void accept() override;

signals:
    // On OK, in the form a receiver takes.
    void positionChosen(const position::ReceiverForm &form);

private:
    void showReading();

    QLineEdit *m_text;
    QLabel *m_shown;
    QPushButton *m_ok;
    position::Reading m_reading;
};
