#pragma once

#include <QString>

// The operating system's own name and version, for the start-up log and the splash window.
QString OperatingSystemText();

// The computer's name as the installation knows it: the host name, at most 15 characters.
QString LocalComputerName();
