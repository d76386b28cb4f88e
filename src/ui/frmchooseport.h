#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// "Serial Port": the ports the system shows, the current one selected, or any name typed in.
class frmChoosePort : public QDialog
{
    Q_OBJECT

public:
    frmChoosePort(const QString &currentPort, QWidget *parent);

    // The name of the listed port picked, or what was typed, without spaces around it.
    QString portName() const;

    void accept() override;

signals:
    // Only for a name that is not empty and that the system could take.
    void portChosen(const QString &portName);

private:
    void check();

    QComboBox *m_port;
    // Why the name typed cannot be taken, under the line, while OK is disabled.
    QLabel *m_problem;
    QPushButton *m_ok;
};
