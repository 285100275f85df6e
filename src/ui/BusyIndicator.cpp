#include "ui/BusyIndicator.h"

#include "texts/Texts.h"

#include <QApplication>
#include <QCursor>

void BusyCursor::SetBusyState(int16_t state, int16_t)
{
    ::SetBusyPointer(state != 0);
}

void BusyCursor::SetBusyPointer(bool busy)
{
    ::SetBusyPointer(busy);
}

bool BusyCursor::BusyPointerShown() const
{
    return ::BusyPointerShown();
}

int16_t BusyStateTextNumber(int16_t state)
{
    switch (state) {
    case 0:
        return -32000;
    case 1:
        return -31998;
    case 2:
        return -31997;
    case 3:
        return -31999;
    default:
        break;
    }
    if (state >= 4 && state <= 12)
        return int16_t(-31996 + (state - 4));
    // An unknown state still shows something readable rather than a bare number.
    return -32000;
}

QString BusyStateText(int16_t state, int16_t percent)
{
    QString text = GetText(BusyStateTextNumber(state));
    if (percent != -1)
        text += QStringLiteral(" (") + QString::number(percent) + QStringLiteral("%)");
    return text;
}

bool BusyPointerShown()
{
    const QCursor *current = QApplication::overrideCursor();
    return current && current->shape() == Qt::WaitCursor;
}

void SetBusyPointer(bool busy)
{
    if (busy && !BusyPointerShown()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (!busy) {
        // Take off every hourglass this module put on, whoever asked for it last.
        while (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
            QApplication::restoreOverrideCursor();
    }
}
