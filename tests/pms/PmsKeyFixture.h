#pragma once

#include "SessionFixture.h"
#include "TestEncoder.h"
#include "pms/PmsKeyService.h"

#include <QStringList>

#include <memory>

// A hotel for key requests: guest rooms 101 to 103, the common rooms Pool (1) and Gym (2), the
// encoder "Front desk" writing at once, and the operator "desk" logged on, who may give guest and
// joiner cards for a week.
class PmsKeyTest : public SessionTest
{
protected:
    void SetUp() override;

    // One record from its text between STX and ETX.
    static PmsRecord record(const char *text);
    // The cards the encoder ejected.
    int ejected() const;
    // Every Cards row in number order: kind, main room, status, expiry (yyMMddhhmm) and who
    // cancelled it ("desk" or 0).
    QStringList cardRows();
    // The number of stored requests.
    int storedRequests();

    TestEncoder encoder;
    std::unique_ptr<PmsKeyService> service;
};
