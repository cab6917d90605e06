#pragma once

#include "platform/MessageBoxes.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// Message boxes as modal QMessageBoxes, owned by the given window (the main window once it
// exists, so that boxes stay above it and centred on it).
class QtMessageBoxes final : public MessageBoxes {
public:
    void setOwner(QWidget *owner) { m_owner = owner; }
    MessageAnswer show(MessageIcon icon, const QString &title, const QString &text,
                       MessageButtons buttons) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace platform
