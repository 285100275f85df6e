#include "TempHives.h"
#include "settings/PrinterMargins.h"

#include <gtest/gtest.h>

namespace {

using Value = RegistryStore::Value;

TEST(PrinterMargins, MissingMarginsTakeTheirDefaultsAndAreStoredAtOnce)
{
    TempHives hives;
    hives.setUser(QStringLiteral("nPortLeft"), Value::dword(10));
    hives.setMachine(QStringLiteral("nLandBottom"), Value::dword(12));

    const PrinterMargins margins = LoadPrinterMargins(hives.registry);
    EXPECT_EQ(margins, (PrinterMargins{20, 10, 20, 20, 25, 15, 12, 15}));

    const char *names[] = {"nPortTop", "nPortLeft", "nPortBottom", "nPortRight",
                           "nLandTop", "nLandLeft", "nLandBottom", "nLandRight"};
    RegistryStore fresh(hives.currentUserFile, hives.localMachineFile);
    for (int i = 0; i < PrinterMarginCount; ++i) {
        SCOPED_TRACE(names[i]);
        Value value;
        const int found =
            fresh.queryValue(RegistryStore::Hive::CurrentUser, kSettingsKey, QString::fromLatin1(names[i]), value);
        if (i == LandscapeBottom) {
            EXPECT_NE(found, 0); // present in the machine's hive, so never rewritten
        } else {
            ASSERT_EQ(found, 0);
            EXPECT_EQ(value, Value::dword(static_cast<uint32_t>(margins[i])));
        }
    }
}

} // namespace
