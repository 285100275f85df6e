#include "TestEncoder.h"

#include "components/recordtable/RecordTable.h"

#include <QFile>

#include <gtest/gtest.h>

void TestEncoder::install(RecordDatabase &db)
{
    ASSERT_TRUE(m_devices.isValid());
    RecordTable t(db);
    t.SelectTable(TableId::Devices);
    t.SetField(QStringLiteral("deviceName"), QStringLiteral("Front desk"));
    t.SetField(QStringLiteral("deviceType"), 0);
    t.SetField(QStringLiteral("portName"), QStringLiteral("encoder"));
    t.InsertRecord();
    ASSERT_EQ(t.Status(), RecordStatus::Ok) << t.ErrorText(t.Status()).toStdString();
    m_deviceID = t.GetField(QStringLiteral("deviceID")).toInt();
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
