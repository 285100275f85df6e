#pragma once

#include "ui/CardSearchFilters.h"

#include <QString>
#include <QVariantList>

struct CardListQuery
{
    QString where;
    QVariantList parameters; // in "?" order
};

// The WHERE text of the card list over CardView and its parameters; every "to" date is bound as
// that day's 23:59:59.
CardListQuery buildCardListQuery(const CardSearchFilters &filters);
