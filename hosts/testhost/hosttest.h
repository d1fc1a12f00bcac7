/* hosttest.h: the GoogleTest fixture for tests that drive the plugin through the test host. */
#ifndef ZOLT_TESTHOST_HOSTTEST_H
#define ZOLT_TESTHOST_HOSTTEST_H

#include <gtest/gtest.h>

#include "testhost/testhost.h"

/* A fresh host installed as the plugin's record; at the end, every broken host rule, unrestored
   screen and unused scripted answer fails the test. */
struct HostTest : ::testing::Test {
    void SetUp() override { TestHostInstall(); }
    void TearDown() override { EXPECT_EQ(TestHostFinish(), "") << TestHostTranscript(CALLS_ALL); }
};

#endif
