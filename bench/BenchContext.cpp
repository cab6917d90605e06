#include "BenchContext.h"

#include <QDir>

BenchContext::BenchContext()
    : ctx{messages, settings, secrets,        connection, shell,
          clock,    network,  responseBudget, dir.path()}
{
    QDir(dir.path()).mkdir(QStringLiteral("Data"));
}

platform::MessageAnswer BenchContext::Boxes::show(platform::MessageIcon, const QString &title,
                                                  const QString &, platform::MessageButtons)
{
    ++shown;
    lastTitle = title;
    return platform::MessageAnswer::Cancel;
}
