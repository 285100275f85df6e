#pragma once

class Workstation;

// Makes the administration windows known to the window catalog by kind: the user, wing and
// door-area lists and dialogs, and the override import ("frmOverride").
void RegisterAdminWindows(Workstation &ws);
