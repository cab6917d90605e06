#include "app/CheckCommand.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

// marlowin-check: Marlowin without windows. CheckCommand::run holds everything it does.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("marlowin-check"));
    QCoreApplication::setOrganizationName(QStringLiteral("Marlowin"));

    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly) || !err.open(stderr, QIODevice::WriteOnly))
        return CheckCommand::kExitFailed;
    const int status = CheckCommand::run(QCoreApplication::arguments(), out, err);
    out.close();
    err.close();
    return status;
}
