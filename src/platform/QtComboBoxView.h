#pragma once

#include "platform/ComboBoxView.h"

#include <QComboBox>

namespace platform {

// The drop-down list contract over a QComboBox, normally an editable one: the text, caret and
// selection are those of its line edit. Over a combo box without a line edit the text is the
// selected entry's and the caret stays at 0. The combo box belongs to the dialog; this binding
// must not outlive it.
class QtComboBoxView final : public ComboBoxView {
public:
    explicit QtComboBoxView(QComboBox &combo)
        : m_combo(combo)
    {
    }

    [[nodiscard]] QString text() const override { return m_combo.currentText(); }
    void setText(const QString &text) override;
    [[nodiscard]] int selectionStart() const override;
    void setSelection(int start, int length) override;
    void clear() override;
    // Adding never selects an entry (QComboBox would select the first one added to an empty
    // list), so "no entry selected" survives filling the list.
    void addItem(const QString &text) override;
    [[nodiscard]] int count() const override { return m_combo.count(); }
    [[nodiscard]] QString itemText(int index) const override { return m_combo.itemText(index); }
    [[nodiscard]] int currentIndex() const override { return m_combo.currentIndex(); }
    void setCurrentIndex(int index) override { m_combo.setCurrentIndex(index); }
    void beep() override;

private:
    QComboBox &m_combo;
};

} // namespace platform
