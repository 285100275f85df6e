#pragma once

class Workstation;

// Makes the administration windows known to the window catalog by kind: the user list
// ("frmUserList") and the user dialog ("frmUserData").
void RegisterAdminWindows(Workstation &ws);
