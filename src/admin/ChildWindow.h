#pragma once

#include "platform/MessageDialog.h"

#include <QString>

#include <functional>

class Messages;
class QWidget;
class Workstation;

// How the administration windows leave the screen, come forward and open each other. In the
// program they are children of the main frame's client area; in tests they may stand alone.

// Closes the window, or the frame's child window around it.
void UnloadWindow(QWidget *window);
// Shows the window, restores it when minimised, makes it the active child and calls its Activate.
void BringWindowForward(QWidget *window);
// Opens a window by kind through the main frame; nullptr without a frame or when it did not open.
QWidget *OpenChildWindow(Workstation &ws, const QString &kind, const std::function<void(QWidget *)> &arguments = {});
// The registry error box of the placement writers, through the workstation's messages.
MessageDialogFn RegistryErrorBox(Messages &messages, QWidget *parent);
