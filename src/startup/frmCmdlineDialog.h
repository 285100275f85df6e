#pragma once

#include <QDialog>

class QLineEdit;

// The command-line editor of a start with the Ctrl key held down: one edit box preset with the
// real command line. Enter takes the edited line, Esc keeps the real one.
class frmCmdlineDialog : public QDialog
{
    Q_OBJECT
public:
    explicit frmCmdlineDialog(const QString &commandLine, QWidget *parent = nullptr);

    QString commandLine() const;

private:
    QLineEdit *m_txtCmdline;
};

// Shows the editor modally; on Enter replaces commandLine and returns true.
bool EditCommandLine(QString &commandLine, QWidget *parent = nullptr);
