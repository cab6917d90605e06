#include <QCoreApplication>

#include <gtest/gtest.h>

// Logic tests run inside a QCoreApplication: network replies, timers and the event pump need
// an event loop, and nothing here opens a window.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
