#include "cards/GuestCardEncode.h"

#include "components/cardserver/CardsIntf.h"

#include <cstdlib>

namespace {

constexpr int32_t kGuestBlock = 97;
constexpr int32_t kCommonBlock = 98;
constexpr int32_t kConnectedDistance = 5;
constexpr int32_t kRangeKind = 100;

} // namespace

void AddGuestRoomBlock(CardsIntf &cards, qint32 room, bool joiner, const QList<qint32> &connected)
{
    cards.BeginBlock(kGuestBlock);
    if (joiner)
        cards.SetCardField(QStringLiteral("joinerFlag"), QStringLiteral("1"));
    cards.AddDoorRange(kRangeKind, room, room);
    cards.SetCardField(QStringLiteral("mainGuestRoom"), room);
    if (joiner) {
        for (qint32 door : connected) {
            if (std::abs(door - room) < kConnectedDistance)
                cards.AddDoorRange(kRangeKind, door, door);
        }
    }
}

void AddCommonRoomBlock(CardsIntf &cards, const QList<qint32> &common)
{
    cards.BeginBlock(kCommonBlock);
    for (qint32 number : common)
        cards.AddDoorRange(kRangeKind, number, number);
}

std::optional<CardIssue::Outcome> EncodeGuestCard(CardIssue &issue, const std::function<void(CardsIntf &)> &addBlocks,
                                                  const std::function<CardFields()> &fields, const QString &description,
                                                  bool batch)
{
    if (!issue.newCard())
        return std::nullopt;
    addBlocks(issue.cards());
    if (!issue.setFields(fields()))
        return std::nullopt;
    if (!batch)
        issue.cards().SetBatchMode(0);
    return issue.encode(description, batch);
}
