#pragma once

#include <QtGlobal>

namespace test {

// Whether the test runs under support/private_keyring.sh, as ctest runs it: on a keyring of its
// own, or with no session bus at all. Tests that meet the real keyring refuse to run elsewhere,
// so that they never write to the user's.
[[nodiscard]] inline bool underPrivateKeyring()
{
    return qEnvironmentVariableIsSet("MARLOWIN_PRIVATE_KEYRING");
}

} // namespace test
