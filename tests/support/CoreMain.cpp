#include <QCoreApplication>

#include <gtest/gtest.h>

// Tests that await coroutines or run the service need an application object's event loop.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
