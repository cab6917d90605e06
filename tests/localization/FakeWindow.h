#pragma once

#include "localization/TranslatableWindow.h"

#include <QMap>
#include <QPair>
#include <QStringList>

#include <optional>
#include <utility>

// A window as the widget walker would report it: controls with their captions, and a title.
class FakeWindow final : public TranslatableWindow {
public:
    explicit FakeWindow(QString name)
        : m_name(std::move(name))
    {
    }

    // Adds a control; its captions (one, or one per tab or column) start as the given texts.
    void add(ControlKind kind, const QString &name, const QStringList &captions,
             std::optional<int> index = std::nullopt)
    {
        const int control = int(m_controls.size());
        const bool numbered = kind == ControlKind::TabStrip || kind == ControlKind::ListView;
        m_controls.append({kind, name, index, numbered ? int(captions.size()) : 0});
        for (int i = 0; i < captions.size(); ++i)
            m_captions.insert({control, numbered ? i + 1 : 0}, captions.at(i));
    }

    QString windowName() const override { return m_name; }
    QList<TranslatableControl> controls() const override { return m_controls; }
    QString caption(int control, int part) const override
    {
        return m_captions.value({control, part});
    }
    void setCaption(int control, int part, const QString &text) override
    {
        m_captions.insert({control, part}, text);
    }
    QString title() const override { return m_title; }
    void setTitle(const QString &text) override { m_title = text; }

    // Every caption in control and part order, then the title.
    QStringList all() const { return QStringList(m_captions.values()) << m_title; }

private:
    QString m_title;
    QString m_name;
    QList<TranslatableControl> m_controls;
    QMap<QPair<int, int>, QString> m_captions;
};
