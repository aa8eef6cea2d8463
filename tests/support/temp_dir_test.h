// A fixture with a fresh temporary folder for each test, named after its suite.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scoped_temp_dir.h"

class TempDirTest : public ::testing::Test {
 protected:
  ScopedTempDir dir_{std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) + "_"};
};
