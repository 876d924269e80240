// GoogleTest helpers for every test that runs the plug-in against the
// reference host. Header-only so that the host library itself does not depend
// on GoogleTest.
//
//   class EditorTest : public refhost::RefHostTest { ... };  // checks at the end
//   refhost::ExpectNoLeaks(host);                            // or explicitly
#pragma once

#include <gtest/gtest.h>

#include "host/ref_host.h"

namespace refhost {

// Fails the current test for every handed-out block nobody freed, every
// reference still held on the site or output, every sink still advised and
// every bracket still open.
inline void ExpectNoLeaks(const RefHost& host) {
  const LeakReport report = host.Leaks();
  EXPECT_TRUE(report.Clean()) << report.Describe();
}

// A fixture whose host is checked for leaks when the test object is destroyed:
// after the derived fixture's members (the plug-in) are gone.
class RefHostTest : public ::testing::Test {
 protected:
  ~RefHostTest() override { ExpectNoLeaks(host); }

  RefHost host;
};

}  // namespace refhost
