// The last net of every program's main: an exception becomes a line and a status.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "common/MainGuard.h"

namespace {

TEST(MainGuard, AnExceptionLeavingABodyIsPrintedAndEndsWithTheStatus) {
    EXPECT_EQ(gantry::RunCatchingAll("tool", 9, [] { return 4; }), 4);
    testing::internal::CaptureStderr();
    EXPECT_EQ(gantry::RunCatchingAll("tool", 9, []() -> int { throw std::bad_alloc(); }), 9);
    EXPECT_EQ(gantry::RunCatchingAll("tool", 9, []() -> int { throw 7; }), 9);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tool: an unexpected failure ended the program: std::bad_alloc\n"
              "tool: an unexpected failure ended the program.\n");
}

}  // namespace
