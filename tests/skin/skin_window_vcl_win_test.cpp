#include <gtest/gtest.h>
TEST(SkinWindowVCL, Placeholder) {}
