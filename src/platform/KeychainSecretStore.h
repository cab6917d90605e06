#pragma once

#include "platform/SecretStore.h"

namespace QKeychain {
class Job;
}

namespace platform {

class Clock;

// The keyring through QtKeychain: the Secret Service over libsecret (loaded at run time), or
// KWallet on a KDE desktop. Secrets are filed under the service name given here and the name of
// each call. QtKeychain never falls back to a file of its own here: where no keyring answers,
// the caller decides what to do.
//
// QtKeychain's jobs are asynchronous; each call runs a local event loop (user input held back)
// until its job finishes or waitLimitMs have passed on the clock. A job that runs out of time is
// left to finish on its own and its answer is dropped; the call reports Unavailable.
class KeychainSecretStore final : public SecretStore {
public:
    // The clock must outlive the store. A keyring that is locked asks the user for its password
    // in a window of its own, so the limit leaves time for typing it.
    KeychainSecretStore(Clock &clock, QString service, int waitLimitMs = 30000);

    Answer read(const QString &name) override;
    Answer write(const QString &name, const QString &secret) override;
    Answer remove(const QString &name) override;

private:
    // Starts the job and waits for it; the job deletes itself when done.
    [[nodiscard]] Answer run(QKeychain::Job &job);

    Clock &m_clock;
    QString m_service;
    int m_waitLimitMs;
};

} // namespace platform
