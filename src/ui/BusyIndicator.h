#pragma once

#include <QString>

#include <cstdint>

// The busy indicator of the program: the hourglass pointer and a numbered status text. The main
// frame implements it and the workstation holds it, so code below the frame reaches the status bar
// without knowing the frame.
class BusyIndicator
{
public:
    virtual ~BusyIndicator() = default;
    // State 0 is idle; a percent of -1 means none.
    virtual void SetBusyState(int16_t state, int16_t percent = -1) = 0;
};

// The hourglass for any state but 0, the indicator's status text when there is one (no indicator
// yet, early in the start or in tests below the frame: the pointer alone).
void SetBusyState(BusyIndicator *indicator, int16_t state, int16_t percent = -1);

// The text number of a busy state: 0 -32000, 1 -31998, 2 -31997, 3 -31999, 4..12 -31996..-31988.
int16_t BusyStateTextNumber(int16_t state);
// The state's text, with " (40%)" appended when a percent is given.
QString BusyStateText(int16_t state, int16_t percent = -1);
// The hourglass pointer while busy, the normal pointer when not; repeated calls do not stack.
void SetBusyPointer(bool busy);
