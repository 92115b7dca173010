#include <QCoreApplication>

#include <gtest/gtest.h>

// Tests that await coroutines need an application object for QCoro::waitFor's event loop.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
