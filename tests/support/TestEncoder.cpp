#include "TestEncoder.h"

#include "DatabaseFixture.h"

#include <QFile>

#include <gtest/gtest.h>

void TestEncoder::install(RecordDatabase &db)
{
    ASSERT_TRUE(m_devices.isValid());
    m_deviceID = DatabaseSeeds(db).addDevice(0, 0, QStringLiteral("encoder"), QStringLiteral("Front desk"));
    ASSERT_NE(m_deviceID, 0);
    ASSERT_TRUE(folder().create(VirtualDeviceFolder::Kind::Encoder));
    setWriteTime(0);
}

VirtualDeviceFolder TestEncoder::folder() const
{
    return VirtualDeviceFolder(m_devices.filePath(QStringLiteral("encoder")));
}

void TestEncoder::setWriteTime(int ms)
{
    VirtualDeviceFolder slot = folder();
    VirtualDeviceFolder::Settings settings = slot.settings();
    settings.writeMs = ms;
    settings.ejectMs = 0;
    settings.pollMs = 1;
    ASSERT_TRUE(slot.writeSettings(settings));
}

void TestEncoder::reinsertEjectedCard()
{
    VirtualDeviceFolder slot = folder();
    QFile ejected(slot.newestEjected());
    ASSERT_TRUE(ejected.open(QIODevice::ReadOnly)) << "no ejected card in " << slot.trayPath().toStdString();
    ASSERT_TRUE(slot.insertCard(ejected.readAll()));
}

std::unique_ptr<CardsIntf> TestEncoder::cardServer(RecordDatabase &db, const QString &computerName) const
{
    auto cards = std::make_unique<CardsIntf>(db, CardsIntf::Setup{m_devices.path()});
    cards->Negotiate(computerName);
    return cards;
}
