#include <gtest/gtest.h>

#include "platform/x11/XlibThreads.h"

// As in the desktop program: Xlib is made thread-safe before anything else touches it.
int main(int argc, char** argv) {
    if (!EnableXlibThreads()) {
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
