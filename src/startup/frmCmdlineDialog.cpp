#include "startup/frmCmdlineDialog.h"

#include <QLineEdit>
#include <QVBoxLayout>

frmCmdlineDialog::frmCmdlineDialog(const QString &commandLine, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCmdlineDialog"));
    // Shown before the texts are loaded, so its caption is the program's name.
    setWindowTitle(QStringLiteral("Veltrix Ostrelle"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setModal(true);

    m_txtCmdline = new QLineEdit(commandLine, this);
    m_txtCmdline->setObjectName(QStringLiteral("txtCmdline"));
    m_txtCmdline->setMinimumWidth(m_txtCmdline->fontMetrics().averageCharWidth() * 60);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_txtCmdline);
    // A dialog without a default button ignores Enter; the edit box takes it.
    connect(m_txtCmdline, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString frmCmdlineDialog::commandLine() const
{
    return m_txtCmdline->text();
}

bool EditCommandLine(QString &commandLine, QWidget *parent)
{
    frmCmdlineDialog dialog(commandLine, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    commandLine = dialog.commandLine();
    return true;
}
