#pragma once

#include "platform/Clock.h"
#include "platform/KeychainSecretStore.h"

#include <QtGlobal>

#include <gtest/gtest.h>

namespace test {

// Whether the test runs under support/private_keyring.sh, as ctest runs it: on a keyring of its
// own, or with no session bus at all. Tests that meet the real keyring refuse to run elsewhere,
// so that they never write to the user's.
[[nodiscard]] inline bool underPrivateKeyring()
{
    return qEnvironmentVariableIsSet("MARLOWIN_PRIVATE_KEYRING");
}

// A test that meets the real keyring through the program's store, and refuses to run anywhere
// but under private_keyring.sh.
class PrivateKeyringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(underPrivateKeyring())
            << "run through ctest, which gives the test a keyring of its own";
    }

    platform::SystemClock clock;
    platform::KeychainSecretStore keyring{clock, QStringLiteral("Marlowin")};
};

} // namespace test
