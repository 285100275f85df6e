#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// Who is logged on at this workstation. The logon and logoff dialogs keep it; the main frame and
// the rights read it.
struct LogonState
{
    // The operator the database component reports as current; 0 before the first logon.
    int32_t CurrentOperatorID = 0;
    // 1: an operator of template 1-299 is logged on, 2: of 300-699, 4: of 700-999.
    uint16_t OperatorClassFlags = 0;
    // userIDs in the order of logon, without duplicates.
    QList<int32_t> operators;
    // Set by the first successful logon and never cleared.
    bool loggedOn = false;
    // The rights of the state without operator were loaded once by a cancelled first logon.
    bool rightsLoaded = false;
    // The user ID of the last successful logon; start-up presets it from /L.
    QString lastUserID;
};
