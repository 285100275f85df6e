#include "components/cardserver/RegistrationNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(RegistrationNumber, DisplayForm)
{
    struct Case
    {
        quint32 stored;
        const char *shown;
    };
    const Case cases[] = {
        {0xA3F1FFu, "0A3F1"}, // copy index FF is not part of the number
        {0xA3F100u, "0A3F1"},   {0u, "00000"},           {0xFFu, "00000"},
        {0x100u, "00001"},      {1234u * 256u, "004D2"}, {1234u * 256u + 255u, "004D2"},
        {0x0FFFFF00u, "FFFFF"},                                                  // the largest number with five digits
        {0x10000000u, "00000"},                                                  // 2^28: the sixth digit is dropped
        {0x1ABCDE01u, "ABCDE"}, {0xFFFFFFFFu, "FFFFF"},  {0x00abcd00u, "0ABCD"}, // upper case
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(FormatRegistrationNumber(c.stored), QString::fromLatin1(c.shown));
    }
}

TEST(RegistrationNumber, CopyIndexAndShownNumber)
{
    EXPECT_EQ(registrationCopyIndex(0xA3F102u), 2u);
    EXPECT_EQ(registrationShownNumber(0xA3F102u), 0xA3F1u);
    EXPECT_EQ(registrationShownNumber(0xFFFFFFFFu), 0xFFFFFFu);
}

} // namespace
