#pragma once

class Workstation;

// Adds the card list and its search dialog to the workstation's window catalog.
void RegisterViewWindows(Workstation &ws);
