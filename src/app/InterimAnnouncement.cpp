#include "app/InterimAnnouncement.h"

#include <QMessageBox>

void InterimAnnouncement::announce(const PopupProperties &, const QStringList &rows)
{
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Marlowin"),
                                rows.join(QLatin1Char('\n')), QMessageBox::Ok, m_owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
