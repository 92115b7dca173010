#include "OndrelCore/Instant.h"

#include <gtest/gtest.h>

TEST(Instant, Placeholder) { EXPECT_TRUE(Instant::fromISO8601("2024-01-31T23:59:59Z")); }
