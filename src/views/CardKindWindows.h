#pragma once

#include <QString>
#include <QtGlobal>

// The window that shows a stored card of a kind, and the function a function-card window is set to
// first (-1: the window has no function). The card windows live beside the views, so the list knows
// them by kind name only.
struct CardKindWindow
{
    QString kind;
    int function = -1;
};

// Empty kind for a card kind no window shows.
CardKindWindow cardKindWindow(qint32 cardNameID);
