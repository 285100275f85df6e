#pragma once

#include "cards/CardIssue.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class CardsIntf;

// The part of a guest card run that needs no window, shared by the guest card dialog and the PMS
// interface so both write the same card.

// Block 97: the main room; a joiner's card adds the connected rooms near it.
void AddGuestRoomBlock(CardsIntf &cards, qint32 room, bool joiner, const QList<qint32> &connected);
// Block 98: the common rooms.
void AddCommonRoomBlock(CardsIntf &cards, const QList<qint32> &common);

// One card of a run as far as its outcome: a new image on the run's encoder, the blocks written by
// addBlocks, the fields (made after the blocks, so the issue time is the encode's) and the encode. Nothing when there
// is no encoder or the fields are refused; the run stops then.
std::optional<CardIssue::Outcome> EncodeGuestCard(CardIssue &issue, const std::function<void(CardsIntf &)> &addBlocks,
                                                  const std::function<CardFields()> &fields, const QString &description,
                                                  bool batch);
