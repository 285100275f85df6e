#include "views/RoomListQuery.h"

#include "components/recordtable/FieldNames.h"
#include "ui/grid/Filter.h"

namespace {
const QVariantList kGuestCategories = {QStringLiteral("G"), QStringLiteral("L")};
}

ListQuery buildVacantRoomsQuery(double serverNow)
{
    FilterBuilder b;
    b.in(Field::doorCategory, kGuestCategories).beforeOrNull(Field::expireTime, serverNow);
    return {b.where(), b.values(), Field::doorID};
}

ListQuery buildOccupiedRoomsQuery(double serverNow)
{
    FilterBuilder b;
    b.in(Field::doorCategory, kGuestCategories).compare(Field::expireTime, FilterBuilder::Compare::Greater, serverNow);
    return {b.where(), b.values(), Field::doorID};
}
