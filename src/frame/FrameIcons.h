#pragma once

#include <QIcon>
#include <QString>

// The frame's image list, drawn rather than shipped: "Table", "MagCard", "Report" (navigation
// window) and the toolbar's "Nav", "Users", "Doors", "DoorAreas", "Events", "Operators", "Verify",
// "Handheld", "Exit". An unknown key gives a null icon.
QIcon FrameIcon(const QString &key);
