#pragma once

#include <QDialog>

// Product name, client version and the operating system, with an OK button.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
};
