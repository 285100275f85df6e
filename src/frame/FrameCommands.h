#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

// The commands of the main frame as data: one row per menu item with its caption, context-menu
// key, the right that shows it and what it does. Menus, toolbar, context menu and navigation
// window all follow these rows, so a command looks the same wherever it is offered.
namespace FrameCommands {

enum class Menu { File, View, Add, Access, Function, Tools, Window, Help };

// What decides a command's visibility and enabled state.
enum class Rule {
    Always,    // not rights-bound
    Read,      // read right (1) on the table `code`
    Write,     // write right (2) on the table `code`
    CardKind,  // may issue the card kind `code`
    Function,  // special function `code`
    Override,  // an operator of template 300-999 is logged on
    Help,      // enabled while the help is installed
    Untouched, // left as laid out (the common-area card)
};

// A system parameter that takes part in the rule.
enum class Parameter {
    None,
    WingCodes,          // required: hidden without it
    NeedOpCardAtLogon,  // required for visibility and enabled state
    AllowVerifyMagCard, // allows the command for every operator
    AllowReadFromHCU,   // likewise
};

enum class Action {
    LogOn,
    LogOff,
    EncoderSetup,
    SetupHCU,
    Exit,
    ToggleToolbar,
    ToggleStatusBar,
    NavWindow,
    Open,             // open `kind` as a child window (with `argument` where it takes one)
    OpenModal,        // show `kind` modally
    OpenList,         // a list with its search-filter dialog first (`filterKind`)
    DoorAccess,       // the card list with the staff card kinds
    ExpiringCards,    // the card list with the cards that expire within n days
    IncreaseOverride, // the override step of all doors
    VerifyCard,
    Cascade,
    TileHorizontal,
    TileVertical,
    HelpContents,
    HelpSearch,
    About,
};

// How the opened window takes its argument.
enum class Argument { None, Joiner, Function, NewRecord };

struct Command
{
    const char *name; // the menu item's objectName, e.g. "mnuViewCardList"
    Menu menu;
    int16_t text;
    const char *key; // context-menu / dispatch key, "" when none
    bool inContextMenu;
    Rule rule;
    int32_t code;
    Parameter parameter;
    Action action;
    const char *kind;       // window kind opened, "" when none
    const char *filterKind; // search-filter dialog shown before a list, "" when none
    Argument argumentKind;
    int argument; // Joiner 0/1, function 0..3
    bool separatorBefore;
};

std::span<const Command> all();
const Command *byName(const QString &name);
const Command *byKey(const QString &key);

struct MenuDef
{
    Menu menu;
    const char *name; // objectName of the top-level menu
    int16_t text;
};
std::span<const MenuDef> menus();

// The context-menu groups under the root "H0": the sub-menu keys in order; commands of the tools
// menu hang from the root itself.
inline const QString RootKey = QStringLiteral("H0");
QString contextGroupKey(Menu menu); // "VIEW", "ADD", "ACCESS", "FUNCTION", or "" for the root

// Keys that are dispatched though they are not in any menu: "V9" navigation window.
inline const QString NavWindowKey = QStringLiteral("V9");

// The card kinds the verify command may open, as the access and function card menus open them.
const Command *commandForCardKind(int32_t cardNameID);

} // namespace FrameCommands
