#pragma once

#include <QtGlobal>

#include <initializer_list>

class QWidget;
class Workstation;

// IsDialogAvailable of a card dialog: the operator's logon (a password confirmation first when
// confirm is set; a failed logon ends silently), the right to issue the kind and read access to
// every table the dialog shows (Doors 0, Users 16); otherwise message -31143.
bool IsCardDialogAvailable(Workstation &ws, qint32 cardNameID, std::initializer_list<qint32> tables, bool confirm,
                           QWidget *parent = nullptr);
