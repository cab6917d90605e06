#pragma once

#include <QString>

namespace platform {

// The desktop's keyring (a Secret Service such as GNOME Keyring, or KWallet), which keeps secrets
// by name for the user, encrypted and unlocked with the session. Every call returns once the
// keyring has answered or the store has stopped waiting; meanwhile the event loop keeps the
// windows painted, but holds back the user's input, so that nothing the user does can reach the
// code that waits.
class SecretStore {
public:
    enum class Outcome {
        Done,        // read: the secret is in the answer; write, remove: done
        NotFound,    // no secret under that name (read only)
        Unavailable, // no keyring answered: none runs, it refused, it failed or it took too long
    };
    struct Answer {
        Outcome outcome = Outcome::Unavailable;
        QString secret; // read and Done only
        QString error;  // Unavailable: why, in the keyring's words when it gave any
    };

    virtual ~SecretStore() = default;
    [[nodiscard]] virtual Answer read(const QString &name) = 0;
    // Replaces whatever the name held.
    [[nodiscard]] virtual Answer write(const QString &name, const QString &secret) = 0;
    // Removing a name that holds nothing is Done.
    [[nodiscard]] virtual Answer remove(const QString &name) = 0;
};

// For programs that never keep secrets (marlowin-check, the language-file generator): no keyring
// answers.
class NoSecretStore final : public SecretStore {
public:
    Answer read(const QString &) override { return unavailable(); }
    Answer write(const QString &, const QString &) override { return unavailable(); }
    Answer remove(const QString &) override { return unavailable(); }

private:
    static Answer unavailable() { return {Outcome::Unavailable, {}, QStringLiteral("No keyring")}; }
};

} // namespace platform
