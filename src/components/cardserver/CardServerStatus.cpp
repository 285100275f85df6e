#include "components/cardserver/CardServerStatus.h"

namespace CardServerStatus {

bool isBusy(qint32 status)
{
    switch (status) {
    case Busy:
    case BusyNextCard:
    case BusyEjecting:
    case BusyReading:
    case BusyWriting:
    case BusyStoring:
        return true;
    default:
        return false;
    }
}

QString text(qint32 status)
{
    switch (status) {
    case Ok:
        return QStringLiteral("Done|The operation has been completed.");
    case Busy:
        return QStringLiteral("Busy|The encoder is waiting for a card or for the previous card to be taken out.");
    case BusyNextCard:
        return QStringLiteral("Encoding|Waiting for the next card of the copies being made.");
    case BusyEjecting:
        return QStringLiteral("Encoding|The encoded card is being ejected.");
    case BusyReading:
        return QStringLiteral("Reading|Reading the card or the handheld unit.");
    case BusyWriting:
        return QStringLiteral("Encoding|Writing the card.");
    case BusyStoring:
        return QStringLiteral("Encoding|Checking and storing the written card.");
    case NoEncoder:
        return QStringLiteral("No encoder|No encoder is set up for this workstation, or the device chosen is not a "
                              "card encoder.");
    case CardRead:
        return QStringLiteral("Card read|A card of this installation has been read.");
    case BlankCardRead:
        return QStringLiteral("Blank card|The card in the encoder is blank.");
    case ForeignCardRead:
        return QStringLiteral("Unknown card|The card in the encoder was made by another installation.");
    case Cancelled:
        return QStringLiteral("Cancelled|The card operation was cancelled.");
    case ValidCardInEncoder:
        return QStringLiteral("Valid card in the encoder|The card in the encoder is still valid for this room.");
    case NoCard:
        return QStringLiteral("No card|No card was inserted in the encoder in time. Insert a card and try again.");
    case WriteFailed:
        return QStringLiteral("Write error|The card could not be written. Try again with another card.");
    case NotOperatorCard:
        return QStringLiteral("Not an operator card|The card in the encoder is not a valid operator card of this "
                              "operator.");
    case DeviceNotReady:
        return QStringLiteral("Device not ready|The device does not answer. Check that it is connected and "
                              "started.");
    case RangeExhausted:
        return QStringLiteral(
            "No registration numbers left|Every registration number of the range set in the "
            "system settings has been issued, and a number is never issued twice. Raise the end of the range.");
    case NotHandheld:
        return QStringLiteral("Not a handheld unit|The device chosen for the handheld unit is not a handheld unit.");
    case NotStored:
        return QStringLiteral("Card not stored|The card was written but could not be stored in the database. Do not "
                              "hand out this card; make it again when the database is reachable.");
    case SetupFailed:
        return QStringLiteral("Handheld unit not programmed|The handheld unit could not be programmed.");
    case DeviceBusy:
        return QStringLiteral("Device busy|Another card operation is still running. Wait until it has ended.");
    case ImageIncomplete:
        return QStringLiteral("Card incomplete|The card has no card kind, or the number of copies is outside 1 to "
                              "256.");
    case NoRange:
        return QStringLiteral("No registration number range|The system settings hold no usable range of "
                              "registration numbers.");
    case NoReadout:
        return QStringLiteral("No read-out|The handheld unit holds no read-out.");
    case DatabaseError:
        return QStringLiteral("Database error|The card could not be made because the database failed. Nothing was "
                              "written.");
    case ReadoutNotStored:
        return QStringLiteral("Read-out not stored|The read-out was read from the handheld unit but could not be "
                              "stored in the database. It stays on the unit; read it again later.");
    case CardErased:
        return QStringLiteral("Card erased|The card was written, but its record could not be completed in the "
                              "database, so the encoder erased the card again. Do not hand out this card; make it "
                              "again when the database is reachable.");
    case NotConfirmed:
        return QStringLiteral("Card not confirmed|The card was written, but its record could not be completed in the "
                              "database and the encoder could not erase it. Do not hand out this card: destroy it. "
                              "The card list shows it as not confirmed until it is cancelled.");
    default:
        return QString();
    }
}

} // namespace CardServerStatus
