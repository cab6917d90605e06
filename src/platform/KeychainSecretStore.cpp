#include "platform/KeychainSecretStore.h"

#include "platform/Clock.h"

#include <QEventLoop>

#include <qt6keychain/keychain.h>

#include <memory>
#include <optional>
#include <utility>

namespace platform {

KeychainSecretStore::KeychainSecretStore(Clock &clock, QString service, int waitLimitMs)
    : m_clock(clock)
    , m_service(std::move(service))
    , m_waitLimitMs(waitLimitMs)
{
}

SecretStore::Answer KeychainSecretStore::read(const QString &name)
{
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(name);
    return run(*job);
}

SecretStore::Answer KeychainSecretStore::write(const QString &name, const QString &secret)
{
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(name);
    job->setTextData(secret);
    return run(*job);
}

SecretStore::Answer KeychainSecretStore::remove(const QString &name)
{
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(name);
    const Answer answer = run(*job);
    // Removing what is not there leaves the keyring as asked.
    if (answer.outcome == Outcome::NotFound)
        return {Outcome::Done, {}, {}};
    return answer;
}

SecretStore::Answer KeychainSecretStore::run(QKeychain::Job &job)
{
    // A file of QtKeychain's own beside the keyring would hold the secret in plain text.
    job.setInsecureFallback(false);
    job.setAutoDelete(true);

    QEventLoop loop;
    std::optional<Answer> answer;
    // The loop is the receiver: a job that finishes after the wait was given up finds no one.
    QObject::connect(
        &job, &QKeychain::Job::finished, &loop, [&answer, &loop](QKeychain::Job *done) {
            switch (done->error()) {
            case QKeychain::NoError: {
                const auto *reading = qobject_cast<QKeychain::ReadPasswordJob *>(done);
                answer = Answer{Outcome::Done, reading ? reading->textData() : QString(), {}};
                break;
            }
            case QKeychain::EntryNotFound:
                answer = Answer{Outcome::NotFound, {}, done->errorString()};
                break;
            default:
                answer = Answer{Outcome::Unavailable, {}, done->errorString()};
                break;
            }
            loop.quit();
        });
    const std::unique_ptr<ClockTimer> limit = m_clock.createTimer();
    limit->start(m_waitLimitMs, [&loop] { loop.quit(); });
    job.start();
    // The job answers through the event loop, never from inside start().
    while (!answer && limit->isActive())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (answer)
        return *answer;
    return {
        Outcome::Unavailable,
        {},
        QStringLiteral("The keyring did not answer within %1 seconds.").arg(m_waitLimitMs / 1000)};
}

} // namespace platform
