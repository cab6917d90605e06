#include "support/TestContext.h"

#include <QFile>

#include <gtest/gtest.h>

namespace test {

TestContext::TestContext()
    : ctx{messages, userSettings, connection, shell, clock, network, dir.path()}
{
    EXPECT_TRUE(dir.isValid());
}

void TestContext::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray TestContext::readFile(const QString &name) const
{
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

} // namespace test
