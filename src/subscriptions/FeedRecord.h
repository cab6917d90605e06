#pragma once

#include "common/FeedType.h"

#include <QString>

// One subscription as it is passed between the tree, the dialogs, the database and the
// scheduler.
struct FeedRecord {
    QString category;
    QString url;
    FeedType feedType = FeedType::Rss; // Unknown only as a failed probe's result
    QString id;                        // the feed identifier (36 characters)
    QString name;
};
