#include "frame/MenuRules.h"

using FrameCommands::Parameter;
using FrameCommands::Rule;

Availability Evaluate(const FrameCommands::Command &command, const RuleContext &context)
{
    switch (command.rule) {
    case Rule::Always:
        return {};
    case Rule::Untouched:
        return {true, true, false};
    case Rule::Help:
        return {true, context.helpAvailable, true};
    case Rule::Override: {
        // Templates 300-699 and 700-999 set bits 2 and 4 of the operator classes.
        const bool shown = (context.operatorClassFlags & 6) != 0;
        return {shown, shown, true};
    }
    case Rule::Read:
    case Rule::Write:
    case Rule::CardKind:
    case Rule::Function:
        break;
    }

    bool allowed = context.right && context.right(command.rule, command.code, false);
    bool reference = context.right && context.right(command.rule, command.code, true);
    switch (command.parameter) {
    case Parameter::None:
        break;
    case Parameter::WingCodes:
    case Parameter::NeedOpCardAtLogon: {
        const bool on = command.parameter == Parameter::WingCodes ? context.wingCodes : context.needOpCardAtLogon;
        if (!on)
            return {false, false, true};
        break;
    }
    case Parameter::AllowVerifyMagCard:
        allowed = allowed || context.allowVerifyMagCard;
        break;
    case Parameter::AllowReadFromHCU:
        allowed = allowed || context.allowReadFromHCU;
        break;
    }
    return {allowed || (context.grayIfNotAllowed && reference), allowed, true};
}
