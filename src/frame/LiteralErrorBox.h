#pragma once

#include "platform/MessageDialog.h"

class Messages;
class QWidget;

// Routes a composed error text (the registry error box of the placement writers) through the
// workstation's Messages, with the error title and the OK button.
MessageDialogFn LiteralErrorBox(Messages &messages, QWidget *parent);
