#pragma once

#include "scheduler/NewItemsAnnouncement.h"

#include <QPointer>
#include <QWidget>

// Announces the feeds that brought new items in a box beside the main window that does not
// wait for an answer, until the program has its sliding popup.
class InterimAnnouncement final : public NewItemsAnnouncement {
public:
    void setOwner(QWidget *owner) { m_owner = owner; }
    void announce(const PopupProperties &properties, const QStringList &rows) override;

private:
    QPointer<QWidget> m_owner;
};
