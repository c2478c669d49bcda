// A test fixture that starts the framework core before each test and shuts it down after.
#pragma once

#include <gtest/gtest.h>

#include "platform/core/core.h"

class StartedCore : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(PlatformStartup(), kPlatformNoError); }
  void TearDown() override { PlatformShutdown(); }
};
