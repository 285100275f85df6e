#pragma once

#include "platform/MessageDialog.h"

class Messages;
class QWidget;

// How the windows inside the main frame leave the screen and come forward. In the program they are
// children of the frame's client area; in tests they may stand alone.

// Closes the window, or the frame's child window around it (closing only the inner widget would
// leave an empty frame behind).
void UnloadWindow(QWidget *window);
// Shows the window, restores it when minimised, makes it the active child and calls its Activate.
void BringWindowForward(QWidget *window);
// Routes a composed error text (the registry error box of the placement writers) through the
// workstation's Messages, with the error title and the OK button.
MessageDialogFn LiteralErrorBox(Messages &messages, QWidget *parent);
