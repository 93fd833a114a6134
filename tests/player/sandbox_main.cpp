// Entry of the tests that run the player and the folder removal: they run only inside the
// sandbox of run_in_sandbox.sh, whose drive Z: is a scratch folder holding a marker file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GetFileAttributesA("Z:\\.player-sandbox") == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "not inside the player sandbox (Z:\\.player-sandbox missing): nothing was run\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
