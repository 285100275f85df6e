#pragma once

#include <QByteArray>
#include <QList>

class VirtualDeviceFolder;

// A read-out a handheld unit could have brought back from the doors, for demonstrations and
// tests: per door, read out a minute apart up to `now`, a low-battery event and one "card
// accepted" for each of the (at most five) newest cards in the encoder's out/ tray.
QByteArray sampleReadout(const VirtualDeviceFolder &encoder, const QList<qint32> &doors, double now);
