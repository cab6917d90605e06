#pragma once

#include "localization/TranslatableWindow.h"

#include <QList>
#include <QPointer>

class QObject;
class QWidget;

// A Qt window (QMainWindow, QDialog or a plain QWidget) seen by the translation. Its name is the
// window's objectName; its title is the windowTitle. The controls are the window's named child
// widgets and actions of a translated kind, in findChildren order; controls of nested top-level
// windows (child dialogs) belong to those windows and are left out. See the .cpp for which widget
// stands for which kind and which widgets are never reported.
//
// The window is walked again at each controls() call; caption() and setCaption() address the
// controls of the latest walk. The window must outlive this object.
class QtTranslatableWindow final : public TranslatableWindow {
public:
    explicit QtTranslatableWindow(QWidget &window);

    [[nodiscard]] QString windowName() const override;
    [[nodiscard]] QList<TranslatableControl> controls() const override;
    [[nodiscard]] QString caption(int control, int part) const override;
    void setCaption(int control, int part, const QString &text) override;
    [[nodiscard]] QString title() const override;
    void setTitle(const QString &text) override;

private:
    struct Entry {
        QPointer<QObject> object;
        TranslatableControl control;
    };

    void walk() const;
    [[nodiscard]] const Entry *entryAt(int control) const;

    QWidget &m_window;
    mutable QList<Entry> m_entries;
    mutable bool m_walked = false;
};
