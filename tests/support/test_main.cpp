// Entry point of the test binaries without a user interface.
#include <gtest/gtest.h>

#include "testkit/test_sandbox.h"

int main(int argc, char** argv) {
    kelvara::test::EnterSandbox();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
