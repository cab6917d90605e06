#pragma once

#include "scheduler/NewItemsAnnouncement.h"

#include <QList>
#include <QPointer>

class Languages;
class NotificationPopup;

namespace platform {
class Clock;
}

// Announces new items in the sliding popup: every announcement opens a popup of its own, shown
// without waiting for it, on top of any earlier ones that are still open.
class NotificationAnnouncement final : public NewItemsAnnouncement {
public:
    // The language service translates each popup as it opens; the clock times each popup's slide
    // and wait. Both must outlive this object.
    NotificationAnnouncement(Languages &languages, platform::Clock &clock);
    // Popups still open are closed at once: they must not outlive the language service.
    ~NotificationAnnouncement() override;

    NotificationAnnouncement(const NotificationAnnouncement &) = delete;
    NotificationAnnouncement &operator=(const NotificationAnnouncement &) = delete;

    void announce(const PopupProperties &properties, const QStringList &rows) override;

private:
    Languages &m_languages;
    platform::Clock &m_clock;
    // The popups delete themselves when they have closed; these pointers then turn null.
    QList<QPointer<NotificationPopup>> m_popups;
};
