#pragma once

#include "frame/FrameCommands.h"

#include <cstdint>
#include <functional>

// The grey-or-hide rule: a command the logged-on operators may use is shown and enabled; one they
// may not is shown greyed when the installation greys denied commands and reference template 1
// holds the right, and hidden otherwise.
struct RuleContext
{
    // The right behind a rights-bound command, in the operators' set or the reference set.
    std::function<bool(FrameCommands::Rule rule, int32_t code, bool referenceSet)> right;
    bool grayIfNotAllowed = false;
    bool wingCodes = false;
    bool needOpCardAtLogon = false;
    bool allowVerifyMagCard = false;
    bool allowReadFromHCU = false;
    bool helpAvailable = false;
    uint16_t operatorClassFlags = 0;
};

struct Availability
{
    bool visible = true;
    bool enabled = true;
    bool touched = true; // false: the rule leaves the item as it was laid out
};

Availability Evaluate(const FrameCommands::Command &command, const RuleContext &context);
