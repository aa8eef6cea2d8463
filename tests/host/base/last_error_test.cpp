#include <gtest/gtest.h>

#include <thread>

#include "host/base/win_types.h"

namespace {

TEST(LastError, IsPerThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seenByOther = 1;
  std::thread other([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_FILE_NOT_FOUND);
  });
  other.join();
  EXPECT_EQ(seenByOther, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

}  // namespace
