#include "startup/frmSplash.h"

#include "platform/OsVersion.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kWidth = 480;
constexpr int kHeight = 240;
constexpr int kBandHeight = 120;
const QColor kBand(0x1f, 0x3a, 0x5f);
const QColor kAccent(0xc8, 0x9b, 0x3c);
} // namespace

frmSplash::frmSplash(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kWidth, kHeight);

    m_lblProduct = new QLabel(GetText(15010), this);
    m_lblProduct->setObjectName(QStringLiteral("lblProduct"));
    QFont productFont = font();
    productFont.setPointSizeF(productFont.pointSizeF() * 2.2);
    productFont.setBold(true);
    m_lblProduct->setFont(productFont);
    QPalette light = m_lblProduct->palette();
    light.setColor(QPalette::WindowText, Qt::white);
    m_lblProduct->setPalette(light);

    const QString version =
        QStringLiteral("%1.%2.%3").arg(OSTRELLE_VERSION_MAJOR).arg(OSTRELLE_VERSION_MINOR).arg(OSTRELLE_VERSION_PATCH);
    m_lblVersion = new QLabel(FormatText(GetText(28004), {version}), this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    m_lblVersion->setPalette(light);

    m_lblPlatform = new QLabel(OperatingSystemText(), this);
    m_lblPlatform->setObjectName(QStringLiteral("lblPlatform"));
    m_lblPlatform->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 30, 28, 22);
    layout->addWidget(m_lblProduct);
    layout->addWidget(m_lblVersion);
    layout->addStretch(1);
    layout->addWidget(m_lblPlatform);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::ShowNow()
{
    show();
    raise();
    repaint();
    QApplication::processEvents();
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.fillRect(QRect(0, 0, width(), kBandHeight), kBand);
    p.fillRect(QRect(0, kBandHeight, width(), 4), kAccent);
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
