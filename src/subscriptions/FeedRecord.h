#pragma once

#include <QString>

// One subscription as it is passed between the tree, the dialogs, the database and the
// scheduler.
struct FeedRecord {
    QString category;
    QString url;
    qint16 feedType = 0; // 0 RSS, 1 Atom, 2 podcast; -1 only as a failed probe's result
    QString id;          // the feed identifier (36 characters)
    QString name;
};
