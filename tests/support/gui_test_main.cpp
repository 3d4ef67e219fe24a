// Entry point of the test binaries that need a QApplication (offscreen unless told otherwise).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "testkit/test_sandbox.h"

int main(int argc, char** argv) {
    kelvara::test::EnterSandbox();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
