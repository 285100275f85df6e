#pragma once

#include <cstdint>

// The busy signal of the program: the hourglass pointer and a numbered status text. Rules below
// the windows give it without knowing them; the window part implements it (the pointer alone
// until the main frame loads, then the frame with its status text).
class BusySignal
{
public:
    virtual ~BusySignal() = default;
    // The hourglass for any state but 0 and the state's status text; a percent of -1 means none.
    virtual void SetBusyState(int16_t state, int16_t percent = -1) = 0;
    // The hourglass alone; repeated calls do not stack.
    virtual void SetBusyPointer(bool busy) = 0;
    // Whether the hourglass shows now.
    virtual bool BusyPointerShown() const = 0;
};

// Nothing shows without a signal (a rule run without the program around it).
inline void SetBusyState(BusySignal *signal, int16_t state, int16_t percent = -1)
{
    if (signal)
        signal->SetBusyState(state, percent);
}
