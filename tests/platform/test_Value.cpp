#include <gtest/gtest.h>

#include "platform/RuntimeError.h"
#include "platform/Value.h"

TEST(ValueTest, ConversionsRaiseTheOldErrorNumbers) {
    EXPECT_EQ(Value("  42 ").ToLong(), 42);
    EXPECT_EQ(Value(2.5).ToString(), "2.5");
    EXPECT_EQ(Value(3.0).ToString(), "3");
    EXPECT_TRUE(Value("True").ToBool());
    EXPECT_TRUE(Value(-1).ToBool());
    EXPECT_FALSE(Value(0).ToBool());
    try {
        Value().ToString();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number, 94);
    }
    try {
        Value("abc").ToLong();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number, 13);
    }
}
