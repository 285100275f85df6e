#pragma once

#include <QIcon>

// The tick images of the lists that are ticked item by item (common rooms, card kinds, door areas):
// a box with a check mark, a box with a filled square (some of the item's rooms), an empty box.
enum class Tick { Ticked, Partly, Unticked };
QIcon TickImage(Tick tick);
