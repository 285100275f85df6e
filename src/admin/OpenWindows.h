#pragma once

#include <QList>
#include <QWidget>

// The open windows of a contract in the same frame as the given window: wing dialogs and lists
// have no change notification of their own and tell each other directly.
template <class Contract> QList<Contract *> OpenWindows(QWidget *self)
{
    QList<Contract *> found;
    for (QWidget *widget : self->window()->findChildren<QWidget *>()) {
        if (auto *typed = dynamic_cast<Contract *>(widget))
            found << typed;
    }
    return found;
}
