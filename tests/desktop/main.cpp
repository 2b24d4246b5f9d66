// The window tests on a real X desktop: one Xvfb and its window manager for all of them.
#include <gtest/gtest.h>

#include "fixtures/XDesktop.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new XDesktop);
    return RUN_ALL_TESTS();
}
