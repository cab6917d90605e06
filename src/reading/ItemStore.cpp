#include "reading/ItemStore.h"

#include "platform/FileLock.h"
#include "reading/ItemFile.h"

#include <QFile>
#include <QFileInfo>

namespace ItemStore {
namespace {

// A name beside the file that no file has yet.
QString setAsideName(const QString &path, const QDateTime &now)
{
    const QString base
        = path + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + u'-' + QString::number(n);
    return name;
}

} // namespace

MergeOutcome merge(const QString &path, const QList<FeedItem> &items, const QDateTime &now)
{
    MergeOutcome outcome;
    // Most updates bring nothing new: seen on the file as it is, they need neither the lock nor
    // a save. Only a merge that changes the file takes the lock and does it all again there.
    {
        ItemFile file(path);
        const ItemFile::State state = file.load();
        if (state == ItemFile::State::Loaded && !mergeItems(file, items, now.date()).changed)
            return outcome;
    }

    platform::FileLock lock(path);
    if (!lock.acquire(kLockWaitMs)) {
        outcome.status = MergeOutcome::Status::Failed;
        outcome.error = lock.errorText();
        return outcome;
    }
    ItemFile file(path);
    ItemFile::State state = file.loadOrStart(ItemFile::kNewItemsDocument);
    if (state == ItemFile::State::NotXml || (state == ItemFile::State::NoItems && !file.data())) {
        const QString aside = setAsideName(path, now);
        QFile damaged(path);
        if (!damaged.rename(aside)) {
            outcome.status = MergeOutcome::Status::Failed;
            outcome.error = QStringLiteral("The damaged file could not be set aside: %1")
                                .arg(damaged.errorString());
            return outcome;
        }
        outcome.setAsidePath = aside;
        file = ItemFile(path);
        state = file.loadOrStart(ItemFile::kNewItemsDocument);
    }
    if (state == ItemFile::State::NoItems)
        file.addItemsElement();

    outcome.merge = mergeItems(file, items, now.date());
    if (!outcome.merge.changed)
        return outcome;
    if (!file.save(&outcome.error)) {
        outcome.status = MergeOutcome::Status::Failed;
        outcome.merge = {};
        return outcome;
    }
    outcome.status = MergeOutcome::Status::Saved;
    return outcome;
}

} // namespace ItemStore
