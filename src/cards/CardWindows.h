#pragma once

class Workstation;

// Registers the card windows in the workstation's window catalog; the program calls it at start.
void RegisterCardWindows(Workstation &ws);
