#include "localization/QtTranslatableWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>

#include <optional>

// How the control kinds map onto Qt:
//   Label          QLabel (its text)
//   CommandButton  QPushButton, or a QToolButton of a toolbar (its text)
//   Frame          QGroupBox (its title)
//   CheckBox       QCheckBox (its text)
//   OptionButton   QRadioButton; the buttons of one group share the group's objectName and carry
//                  their position in the group in the dynamic property "controlIndex" (int)
//   TabStrip       QTabWidget, or a QTabBar of its own; tabs numbered from 1
//   ListView       QTreeWidget used as a report list; header columns numbered from 1
//   Menu           QAction whose objectName starts with "mnu" (its text), or a QMenu so named
//                  (its title)
// Any of them may carry "controlIndex", its position in an indexed group.
// Never reported: objects without an objectName or with one of Qt's own "qt_" names, objects
// whose dynamic property "untranslated" is true (the skinned OK/Cancel buttons of the dialogs),
// and every other widget, text fields and combo boxes included. Skinned labels have no Qt widget.

namespace {

const char *const IndexProperty = "controlIndex";
const char *const UntranslatedProperty = "untranslated";

std::optional<int> controlIndex(const QObject &object)
{
    const QVariant value = object.property(IndexProperty);
    bool ok = false;
    const int index = value.toInt(&ok);
    if (!value.isValid() || !ok)
        return std::nullopt;
    return index;
}

bool isMenuName(const QString &name)
{
    return name.startsWith(QStringLiteral("mnu"));
}

// Tool buttons elsewhere are Qt's own (the scroll arrows of tab bars).
bool isToolbarButton(const QObject &object)
{
    return qobject_cast<const QToolButton *>(&object) && qobject_cast<QToolBar *>(object.parent());
}

// A tab bar inside a tab widget is reported through the tab widget.
bool isStandaloneTabBar(const QObject &object)
{
    return qobject_cast<const QTabBar *>(&object) && !qobject_cast<QTabWidget *>(object.parent());
}

std::optional<ControlKind> kindOf(const QObject &object)
{
    if (qobject_cast<const QLabel *>(&object))
        return ControlKind::Label;
    if (qobject_cast<const QPushButton *>(&object) || isToolbarButton(object))
        return ControlKind::CommandButton;
    if (qobject_cast<const QGroupBox *>(&object))
        return ControlKind::Frame;
    if (qobject_cast<const QCheckBox *>(&object))
        return ControlKind::CheckBox;
    if (qobject_cast<const QRadioButton *>(&object))
        return ControlKind::OptionButton;
    if (qobject_cast<const QTabWidget *>(&object) || isStandaloneTabBar(object))
        return ControlKind::TabStrip;
    if (qobject_cast<const QTreeWidget *>(&object))
        return ControlKind::ListView;
    if ((qobject_cast<const QAction *>(&object) || qobject_cast<const QMenu *>(&object))
        && isMenuName(object.objectName()))
        return ControlKind::Menu;
    return std::nullopt;
}

int partCount(const QObject &object)
{
    if (const auto *tabs = qobject_cast<const QTabWidget *>(&object))
        return tabs->count();
    if (const auto *bar = qobject_cast<const QTabBar *>(&object))
        return bar->count();
    if (const auto *list = qobject_cast<const QTreeWidget *>(&object)) {
        // Report lists keep spare columns past their headers, hidden and untitled.
        int count = list->columnCount();
        while (count > 0 && list->isColumnHidden(count - 1)
               && list->headerItem()->text(count - 1).isEmpty())
            --count;
        return count;
    }
    return 0;
}

// True when the object lies inside another top-level window than the walked one. Menus are
// popup windows of their own in Qt, yet their entries belong to the window holding the menu.
bool inNestedWindow(const QObject &object, const QWidget &window)
{
    for (const QObject *o = &object; o && o != &window; o = o->parent()) {
        const auto *widget = qobject_cast<const QWidget *>(o);
        if (widget && widget->isWindow() && !qobject_cast<const QMenu *>(widget))
            return true;
    }
    return false;
}

bool isReported(const QObject &object, const QWidget &window)
{
    const QString name = object.objectName();
    return !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"))
        && !object.property(UntranslatedProperty).toBool() && !inNestedWindow(object, window);
}

QString partCaption(QObject &object, int part)
{
    if (auto *tabs = qobject_cast<QTabWidget *>(&object))
        return tabs->tabText(part - 1);
    if (auto *bar = qobject_cast<QTabBar *>(&object))
        return bar->tabText(part - 1);
    if (auto *list = qobject_cast<QTreeWidget *>(&object))
        return list->headerItem()->text(part - 1);
    return {};
}

void setPartCaption(QObject &object, int part, const QString &text)
{
    if (auto *tabs = qobject_cast<QTabWidget *>(&object))
        tabs->setTabText(part - 1, text);
    else if (auto *bar = qobject_cast<QTabBar *>(&object))
        bar->setTabText(part - 1, text);
    else if (auto *list = qobject_cast<QTreeWidget *>(&object))
        list->headerItem()->setText(part - 1, text);
}

QString singleCaption(QObject &object)
{
    if (auto *label = qobject_cast<QLabel *>(&object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(&object))
        return button->text();
    if (auto *box = qobject_cast<QGroupBox *>(&object))
        return box->title();
    if (auto *action = qobject_cast<QAction *>(&object))
        return action->text();
    if (auto *menu = qobject_cast<QMenu *>(&object))
        return menu->title();
    return {};
}

void setSingleCaption(QObject &object, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(&object))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(&object))
        button->setText(text);
    else if (auto *box = qobject_cast<QGroupBox *>(&object))
        box->setTitle(text);
    else if (auto *action = qobject_cast<QAction *>(&object))
        action->setText(text);
    else if (auto *menu = qobject_cast<QMenu *>(&object))
        menu->setTitle(text);
}

bool hasParts(ControlKind kind)
{
    return kind == ControlKind::TabStrip || kind == ControlKind::ListView;
}

} // namespace

QtTranslatableWindow::QtTranslatableWindow(QWidget &window)
    : m_window(window)
{
}

QString QtTranslatableWindow::windowName() const
{
    return m_window.objectName();
}

void QtTranslatableWindow::walk() const
{
    m_entries.clear();
    const QList<QObject *> children = m_window.findChildren<QObject *>();
    for (QObject *object : children) {
        const std::optional<ControlKind> kind = kindOf(*object);
        if (!kind || !isReported(*object, m_window))
            continue;
        TranslatableControl control;
        control.kind = *kind;
        control.name = object->objectName();
        control.index = controlIndex(*object);
        control.partCount = partCount(*object);
        m_entries.append({object, control});
    }
    m_walked = true;
}

QList<TranslatableControl> QtTranslatableWindow::controls() const
{
    walk();
    QList<TranslatableControl> result;
    result.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        result.append(entry.control);
    return result;
}

const QtTranslatableWindow::Entry *QtTranslatableWindow::entryAt(int control) const
{
    if (!m_walked)
        walk();
    if (control < 0 || control >= m_entries.size() || !m_entries.at(control).object)
        return nullptr;
    return &m_entries.at(control);
}

QString QtTranslatableWindow::caption(int control, int part) const
{
    const Entry *entry = entryAt(control);
    if (!entry)
        return {};
    if (hasParts(entry->control.kind))
        return part >= 1 && part <= entry->control.partCount ? partCaption(*entry->object, part)
                                                             : QString();
    return singleCaption(*entry->object);
}

void QtTranslatableWindow::setCaption(int control, int part, const QString &text)
{
    const Entry *entry = entryAt(control);
    if (!entry)
        return;
    if (hasParts(entry->control.kind)) {
        if (part >= 1 && part <= entry->control.partCount)
            setPartCaption(*entry->object, part, text);
        return;
    }
    setSingleCaption(*entry->object, text);
}

QString QtTranslatableWindow::title() const
{
    return m_window.windowTitle();
}

void QtTranslatableWindow::setTitle(const QString &text)
{
    m_window.setWindowTitle(text);
}
