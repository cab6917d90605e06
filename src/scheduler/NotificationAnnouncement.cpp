#include "scheduler/NotificationAnnouncement.h"

#include "scheduler/NotificationPopup.h"

#include <QListWidget>

NotificationAnnouncement::NotificationAnnouncement(Languages &languages, platform::Clock &clock)
    : m_languages(languages)
    , m_clock(clock)
{
}

NotificationAnnouncement::~NotificationAnnouncement()
{
    // The popups are top-level windows without a parent to delete them.
    for (const QPointer<NotificationPopup> &popup : std::as_const(m_popups))
        delete popup.data();
}

void NotificationAnnouncement::announce(const PopupProperties &properties, const QStringList &rows)
{
    m_popups.removeAll(nullptr);
    auto *popup = new NotificationPopup(m_languages, m_clock);
    popup->setProperties(properties);
    popup->lstResult().clear();
    for (const QString &row : rows)
        popup->addRow(row);
    popup->show();
    m_popups.append(popup);
}
