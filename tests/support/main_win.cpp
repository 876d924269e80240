// Test programs run on one apartment thread, as the host's user-interface thread does.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (FAILED(OleInitialize(nullptr))) return 2;
  int rc = RUN_ALL_TESTS();
  OleUninitialize();
  return rc;
}
