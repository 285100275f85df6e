#pragma once

#include "platform/MessageDialog.h"

class Registry;

// The error box for the registry's last failure: "IEC-" + the error number in hexadecimal and
// the system's text for the failure's code.
void ShowRegistryError(Registry &registry, const MessageDialogFn &show);
