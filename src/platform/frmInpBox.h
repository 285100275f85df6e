#pragma once

#include "platform/MessageDialog.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// A one-line input box: message, edit field limited to the allowed characters and length.
class frmInpBox : public QDialog
{
    Q_OBJECT
public:
    explicit frmInpBox(const InputBoxRequest &request, QWidget *parent = nullptr,
                       const QString &okCaption = QStringLiteral("OK"),
                       const QString &cancelCaption = QStringLiteral("Cancel"));

    QString text() const;

private:
    QLabel *m_message = nullptr;
    QLineEdit *m_input = nullptr;
};
