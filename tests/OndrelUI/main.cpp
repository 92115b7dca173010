#include <QCoreApplication>

#include <gtest/gtest.h>

// The view models resume their coroutines on the event loop, so the tests need an application.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
