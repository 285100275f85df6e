#pragma once

#include "views/EventListQuery.h"

// The room lists over RoomView: guest doors ("G", "L") whose newest card expired before the
// server's time (or that have none), and those whose card expires after it. A card expiring at
// that very instant is in neither list.
ListQuery buildVacantRoomsQuery(double serverNow);
ListQuery buildOccupiedRoomsQuery(double serverNow);
