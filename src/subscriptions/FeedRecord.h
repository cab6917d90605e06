#pragma once

#include <QString>

// One subscription as it is passed between the tree, the dialogs, the database and the
// scheduler.
struct FeedRecord {
    QString Category;
    QString URL;
    qint16 FeedType = 0; // 0 RSS, 1 Atom, 2 podcast; -1 only as a failed probe's result
    QString ID;          // the feed identifier (36 characters)
    QString Name;
};
