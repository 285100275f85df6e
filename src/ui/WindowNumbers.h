#pragma once

#include <QString>

// Each dialog that may be open only once has a number in the workstation's open-dialog set
// (128 flags): Activate sets its flag, unloading clears it, and a command that finds the flag set
// brings the open dialog forward instead of opening a second one. The card dialogs, the card list
// and the wing dialogs have fixed numbers; the others are ours (docs/main-frame.md).
namespace WindowNumber {
inline constexpr int Count = 128;

// The window number of a kind ("frmGuestCard" -> 33), or -1 for a kind without one.
int of(const QString &kind);
} // namespace WindowNumber
