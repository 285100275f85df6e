#pragma once

#include "platform/BusySignal.h"

#include <QString>

#include <cstdint>

// The busy signal before the main frame loads (and in tests below the frame): the hourglass
// alone, without a status text.
class BusyCursor final : public BusySignal
{
public:
    void SetBusyState(int16_t state, int16_t percent = -1) override;
    void SetBusyPointer(bool busy) override;
    bool BusyPointerShown() const override;
};

// The text number of a busy state: 0 -32000, 1 -31998, 2 -31997, 3 -31999, 4..12 -31996..-31988.
int16_t BusyStateTextNumber(int16_t state);
// The state's text, with " (40%)" appended when a percent is given.
QString BusyStateText(int16_t state, int16_t percent = -1);
// The hourglass pointer while busy, the normal pointer when not; repeated calls do not stack.
void SetBusyPointer(bool busy);
// Whether the hourglass pointer shows.
bool BusyPointerShown();
