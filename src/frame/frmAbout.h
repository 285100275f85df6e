#pragma once

#include <QDialog>

struct DatabaseServices;
struct ProgramServices;

// Product name, client version, the workstation, the database engine with its schema version
// and the operating system, with an OK button; Enter and Esc close it.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    frmAbout(const ProgramServices &program, const DatabaseServices &db, QWidget *parent = nullptr);
};
