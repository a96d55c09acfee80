// The sample session byte for byte, on each kernel form: the whole
// dialogue's text with its results.
#include <gtest/gtest.h>

#include "dialogue_script.h"

using namespace test;

TEST(SampleSession, ByteForByte) {
  const outcome o = run("5\n1000\n10\n1000\n", sample_clock);
  EXPECT_EQ(o.out, sample);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.status, 0);
}
