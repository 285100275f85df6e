// ostrelle-regsvr [/c] [/s] <file>: registers a library of the installation in the classes section
// of the machine hive, as the installation's registration runs expect. /c and /s are accepted;
// the tool never shows anything and reports through its exit code.
#include "platform/Installation.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    files.removeIf([](const QString &a) { return a.startsWith(QLatin1Char('/')) && a.size() == 2; });
    if (files.size() != 1)
        return 2;
    return Installation::RegisterFile(files.first()) ? 0 : 1;
}
