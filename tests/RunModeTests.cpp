// Each run of the test command names the mode its processes must run in: a run that silently
// fell back to another mode would pass without testing what it claims to.
#include "Platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(RunMode, ProcessRunsInTheModeTheRunExpects) {
    const char* expected = std::getenv("QUILLMERE_RUN_MODE");
    ASSERT_NE(expected, nullptr) << "QUILLMERE_RUN_MODE is not set; run through scripts/test.sh";
    EXPECT_EQ(ProcessMode(), expected);
}
