#include "platform/KeychainSecretStore.h"

#include "platform/Clock.h"
#include "support/PrivateKeyring.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QTimer>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

using Outcome = platform::SecretStore::Outcome;

const QString kUnicodePassword = QStringLiteral("pässwörd€-✓-中文-😀");

// Each test names its own entries, so that no test sees another's.
QString freshName()
{
    return QStringLiteral("smtp:/tmp/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Runs on a session bus with an unlocked keyring of its own (private_keyring.sh).
class KeychainSecretStoreTest : public test::PrivateKeyringTest { };

TEST_F(KeychainSecretStoreTest, KeepsAnySecretUnderItsName)
{
    const QString name = freshName();
    const QString other = freshName();
    EXPECT_EQ(keyring.read(name).outcome, Outcome::NotFound);

    for (const QString &secret : {kUnicodePassword, QStringLiteral(" two\r\nlines ")}) {
        ASSERT_EQ(keyring.write(name, secret).outcome, Outcome::Done);
        const platform::SecretStore::Answer answer = keyring.read(name);
        EXPECT_EQ(answer.outcome, Outcome::Done);
        EXPECT_EQ(answer.secret, secret);
    }
    ASSERT_EQ(keyring.write(other, QStringLiteral("other")).outcome, Outcome::Done);
    EXPECT_EQ(keyring.read(name).secret, QStringLiteral(" two\r\nlines "));

    // Another service's entries are others'.
    platform::KeychainSecretStore elsewhere(clock, QStringLiteral("Another program"));
    EXPECT_EQ(elsewhere.read(name).outcome, Outcome::NotFound);

    EXPECT_EQ(keyring.remove(name).outcome, Outcome::Done);
    EXPECT_EQ(keyring.read(name).outcome, Outcome::NotFound);
    EXPECT_EQ(keyring.remove(name).outcome, Outcome::Done) << "nothing to remove is no failure";
    EXPECT_EQ(keyring.read(other).secret, QStringLiteral("other"));
}

// A keyring too slow for the limit: the call gives up, and the job it leaves behind finishes
// unheard.
TEST_F(KeychainSecretStoreTest, GivesUpWhenTheLimitRunsOut)
{
    const QString name = freshName();
    ASSERT_EQ(keyring.write(name, QStringLiteral("kept")).outcome, Outcome::Done);
    test::FakeClock fake;
    platform::KeychainSecretStore slow(fake, QStringLiteral("Marlowin"), 5000);
    // Posted before the job starts, so the limit runs out before the keyring can answer.
    QTimer::singleShot(0, [&fake] { fake.advance(5000); });

    const platform::SecretStore::Answer answer = slow.read(name);
    EXPECT_EQ(answer.outcome, Outcome::Unavailable);
    EXPECT_EQ(answer.error, QStringLiteral("The keyring did not answer within 5 seconds."));
    // QtKeychain runs its jobs one after another: this one waits for the one given up.
    EXPECT_EQ(keyring.read(name).secret, QStringLiteral("kept"));
}

// No session bus at all (private_keyring.sh): every call says so at once.
class KeychainWithoutKeyring : public KeychainSecretStoreTest { };

TEST_F(KeychainWithoutKeyring, EveryCallIsUnavailable)
{
    const QString name = freshName();
    for (const platform::SecretStore::Answer &answer :
         {keyring.write(name, kUnicodePassword), keyring.read(name), keyring.remove(name)}) {
        EXPECT_EQ(answer.outcome, Outcome::Unavailable);
        EXPECT_FALSE(answer.error.isEmpty());
    }
}

} // namespace
