#pragma once

#include "platform/ComboBoxView.h"

#include <QStringList>

namespace test {

// An editable drop-down list as plain data.
class MemoryComboBox final : public platform::ComboBoxView {
public:
    explicit MemoryComboBox(QStringList entries = {})
        : m_entries(std::move(entries))
    {
    }

    QString text() const override { return m_text; }
    void setText(const QString &text) override
    {
        m_text = text;
        m_start = int(text.size());
        m_length = 0;
    }
    int selectionStart() const override { return m_start; }
    void setSelection(int start, int length) override
    {
        m_start = start;
        m_length = length;
    }
    void clear() override
    {
        m_entries.clear();
        m_index = -1;
        setText(QString());
    }
    void addItem(const QString &text) override { m_entries.append(text); }
    int count() const override { return int(m_entries.size()); }
    QString itemText(int index) const override { return m_entries.at(index); }
    int currentIndex() const override { return m_index; }
    void setCurrentIndex(int index) override
    {
        m_index = index;
        setText(m_entries.at(index));
    }
    void beep() override { ++beeps; }

    QString selectedText() const { return m_text.mid(m_start, m_length); }
    QStringList entries() const { return m_entries; }
    int beeps = 0;

private:
    QStringList m_entries;
    QString m_text;
    int m_start = 0;
    int m_length = 0;
    int m_index = -1;
};

} // namespace test
