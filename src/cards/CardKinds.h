#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// What every card kind shares: the dialog that issues and shows it, its window number in the
// open-dialog set and the blocks of its image.
struct CardKind
{
    int32_t cardNameID;
    const char *dialog;      // window kind in the catalog
    int window;              // open-dialog number
    int firstBlock;          // the block that opens the image
    int alternateFirstBlock; // stand-open cards open with 102 or 103; 0 for the others
    std::vector<int> furtherBlocks;
    bool roomCard; // carries a mainGuestRoom
    int function;  // function cards: the function 0..3; -1 for the others
};

namespace CardKinds {

inline constexpr int32_t Guest = 256;
inline constexpr int32_t Joiner = 257;
inline constexpr int32_t First = 256;
inline constexpr int32_t Last = 280;

// The kind, or nullptr for a cardNameID no dialog issues.
const CardKind *find(int32_t cardNameID);
const std::vector<CardKind> &all();

// Image fields whose VARIANT type depends on the kind.
bool hasLongNumCards(int32_t cardNameID);   // guest, joiner, suite, future arrival
bool hasTextFamilyFlag(int32_t cardNameID); // guest, joiner, future arrival, power-down
bool hasBatteryWarning(int32_t cardNameID); // system ID, cancel

} // namespace CardKinds

// A registration number as people see it (five hexadecimal digits of the shown number).
QString RegistrationNumberText(quint32 stored);

// Short date, a blank and the time without seconds.
QString CardDateTimeText(double ole);

// The text number of a card's status as a read-back card shows it: 16000 + status, except that a
// valid card past its expiry and a status-7 card show as expired (16004), and the records not yet
// issued and never issued have texts of their own (CardRecordState).
int16_t CardStatusTextNumber(int32_t status, double expireTime, double now);

// The caption of a dialog showing a card read back: title " - " number " (" status ")".
QString ReadBackCaption(const QString &title, quint32 registrationNumber, int32_t status, double expireTime,
                        double now);
