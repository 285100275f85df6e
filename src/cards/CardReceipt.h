#pragma once

#include <QString>

#include <cstdint>

class QPaintDevice;
class QPainter;
class QWidget;
struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// What a card receipt shows, each value as printed.
struct ReceiptContent
{
    QString propertyName;
    QString alphaID, surname, firstname, cardName;
    QString issueTime, issueOperatorAlphaID, startTime, expireTime;
    QString numberText;
    QString note;
    QString printDate;
};

// The page in twips: the margins as positions on the paper.
struct ReceiptPage
{
    double top = 0, left = 0, bottom = 0, right = 0;
    // The paper's width: title and print date are centred on the page, not between the margins.
    double paperWidth = 0;
};

// The receipt of the card just made on the first card server; firstNumber is the registration
// number of a multi-card run's first card, or -1. Prints on the default printer; without one, or
// when pdfFile is given, writes a PDF there (by default into ReceiptFolder()) and tells the
// operator where. Returns the PDF written, or "" when printed or refused.
QString PrintCardReceipt(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                         int32_t firstNumber, QWidget *parent = nullptr, const QString &pdfFile = QString());

// Where receipts go on a workstation without a printer: ~/.local/share/ostrelle/receipts.
QString ReceiptFolder();

// The content of the receipt of the card with this stored registration number.
ReceiptContent LoadReceiptContent(DatabaseServices &db, int32_t registrationNumber, int32_t firstNumber);

// Draws the receipt with the painter's coordinates in twips.
void PaintReceipt(QPainter &painter, const ReceiptPage &page, const ReceiptContent &content);
