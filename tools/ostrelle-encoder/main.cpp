#include "components/cardserver/CardsIntf.h"
#include "ostrelle-encoder/EncoderTool.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return EncoderTool::run(app.arguments().mid(1), CardsIntf::defaultDeviceDirectory(), out, err);
}
