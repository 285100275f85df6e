#include "ostrelle-db/DbTool.h"
#include "platform/Installation.h"
#include "texts/Texts.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // A local server of the installation registers itself.
    if (app.arguments().mid(1) == QStringList{QStringLiteral("/RegServer")})
        return Installation::RegisterFile(QCoreApplication::applicationFilePath()) ? 0 : 1;
    QTextStream out(stdout);
    QTextStream err(stderr);
    // The texts of a new installation (the language, the free-field captions) are the shipped ones.
    TextResources texts;
    texts.setProgramPath(QCoreApplication::applicationDirPath());
    if (!texts.LoadTextLibrary()) {
        err << "ostrelle-db: the text library libctexts.so is not beside the program in "
            << QCoreApplication::applicationDirPath() << "\n";
        return DbTool::Failed;
    }
    QTextStream in(stdin);
    return DbTool::run(app.arguments().mid(1), texts, out, err, &in);
}
