#include "cli.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("Orvane"));
    app.setApplicationName(QStringLiteral("Orvane"));
    // argv as the bytes given: a folder name that is not UTF-8 must reach the engine unchanged.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return orvane::cli::run(arguments);
}
