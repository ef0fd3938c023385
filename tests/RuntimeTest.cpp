#include <RTE/RTE.h>

#include <gtest/gtest.h>

TEST(Runtime, Placeholder)
{
  EXPECT_EQ(RTE::String::Replace("a/b", "/", "_"), "a_b");
}
