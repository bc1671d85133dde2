// Proves that a failing window test reaches ctest: run only by the
// harness.failure_reaches_ctest test, which expects this to fail.
#include <gtest/gtest.h>

TEST(ExitStatus, DISABLED_AlwaysFails) { FAIL() << "a failure that must turn the run red"; }
