#pragma once

class Workstation;

// Makes the administration windows known to the window catalog by kind: the user list
// ("frmUserList"), the user dialog ("frmUserData"), the operator-template list, dialog and
// cross-reference with the door areas ("frmOpTemplateList", "frmOpTemplateData", "frmXrefOpTemplate"),
// the wing and door-area lists and dialogs, and the override import ("frmOverride").
void RegisterAdminWindows(Workstation &ws);
