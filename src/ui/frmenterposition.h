#pragma once

#include "position/positionreader.h"

#include <QDialog>

#include <optional>

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

    // What the line reads as, while it reads.
    std::optional<position::Position> position() const { return m_reading.position; }

    void accept() override;

signals:
    void positionChosen(const position::ReceiverForm &form);

private:
    void showReading();

    QLineEdit *m_text;
    QLabel *m_shown;
    QPushButton *m_ok;
    position::Reading m_reading;
};
