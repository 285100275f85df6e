#pragma once

#include <cstdlib>

// A property of a fuzz target that does not hold: abort, so libFuzzer keeps the input.
inline void check(bool ok)
{
    if (!ok)
        std::abort();
}
