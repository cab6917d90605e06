#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The properties a notification popup (NotificationPopup) is given before it is shown. The
// defaults are the popup's own.
struct PopupProperties {
    bool autoClose = false;            // close by itself timeToLive ms after it has opened
    qint32 timeToLive = 0;             // milliseconds; only with autoClose
    bool canGainFocus = false;         // false: hand the foreground back to the previous window
    bool makeTransparent = false;      // apply transparencyPercentage
    qint16 transparencyPercentage = 0; // 0 opaque .. 100 fully transparent
    bool playSound = false;            // play soundFilePath when the popup opens
    QString soundFilePath;
};

// How a scheduled check announces the feeds that brought new items. Each call stands for a new
// popup window, shown without waiting for it; earlier ones stay as they are. The program
// implements it with the notification popup; marlowin-check prints the rows; tests record.
class NewItemsAnnouncement {
public:
    virtual ~NewItemsAnnouncement() = default;

    // rows are the lines of the popup's list lstResult, in run order:
    // "<feed name> -- <count> New Items".
    virtual void announce(const PopupProperties &properties, const QStringList &rows) = 0;
};
