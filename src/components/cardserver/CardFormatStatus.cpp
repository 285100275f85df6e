#include "components/cardserver/CardFormatStatus.h"

QString CardFormatStatusText(qint32 status)
{
    using namespace CardFormatStatus;
    switch (status) {
    case NoMore:
        return QStringLiteral("No more data|The card image holds no further door range or block value.");
    case Blank:
        return QStringLiteral("Blank card|The card holds no card image.");
    case Truncated:
        return QStringLiteral("Card image incomplete|The card image ends before its declared length. The card was "
                              "probably taken out while it was written; encode it again.");
    case TooLarge:
        return QStringLiteral("Card image too large|The card image is larger than the 4096 bytes a card holds.");
    case NotCardImage:
        return QStringLiteral("Unknown card|The card does not hold a card image of this system.");
    case BadVersion:
        return QStringLiteral("Card format not supported|The card was written in a card format this program does "
                              "not read.");
    case BadChecksum:
        return QStringLiteral("Card image damaged|The card image does not match its checksum. The card is damaged "
                              "or was written incompletely; encode it again.");
    case BadLength:
        return QStringLiteral("Card image damaged|The length recorded in the card image does not match the data on "
                              "the card.");
    case BadCount:
        return QStringLiteral("Card image damaged|The numbers of blocks, values, door ranges or fields recorded in "
                              "the card image do not match its length.");
    case BadContent:
        return QStringLiteral("Card image invalid|The card image holds a value no encoder writes (a block type, "
                              "door range, date, field name or field value).");
    case NoBlock:
        return QStringLiteral("No block|A block value or door range was added before the first block was begun.");
    case InvalidArgument:
        return QStringLiteral("Invalid card data|A block type, door range, date, option or card field is out of "
                              "range or of the wrong type.");
    case ReadoutInvalid:
        return QStringLiteral("Read-out invalid|The read-out from the handheld unit does not have the expected "
                              "form.");
    case ReadoutTruncated:
        return QStringLiteral("Read-out incomplete|The read-out from the handheld unit ends before its last line; "
                              "read the unit again.");
    case ReadoutTooLarge:
        return QStringLiteral("Read-out too large|The read-out from the handheld unit holds more data than a "
                              "read-out may.");
    case ReadoutBadVersion:
        return QStringLiteral("Read-out format not supported|The handheld unit delivered a read-out format this "
                              "program does not read.");
    default:
        return {};
    }
}
