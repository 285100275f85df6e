#include "components/cardserver/CardsIntf.h"
#include "ostrelle-encoder/EncoderTool.h"
#include "platform/Installation.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // A local server of the installation registers itself.
    if (app.arguments().mid(1) == QStringList{QStringLiteral("/RegServer")})
        return Installation::RegisterFile(QCoreApplication::applicationFilePath()) ? 0 : 1;
    return EncoderTool::run(app.arguments().mid(1), CardsIntf::defaultDeviceDirectory(), out, err);
}
