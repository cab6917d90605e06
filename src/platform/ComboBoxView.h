#pragma once

#include <QString>

namespace platform {

// What logic needs of a drop-down list (filling it, type-ahead completion): its text with the caret and
// selection, its entries and the selected entry. A QComboBox binding implements it for the
// dialogs; tests use a plain in-memory one.
class ComboBoxView {
public:
    virtual ~ComboBoxView() = default;
    [[nodiscard]] virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    // Caret position, which is where the selected part of the text starts.
    [[nodiscard]] virtual int selectionStart() const = 0;
    virtual void setSelection(int start, int length) = 0;
    virtual void clear() = 0; // removes every entry and the text
    virtual void addItem(const QString &text) = 0;
    [[nodiscard]] virtual int count() const = 0;
    [[nodiscard]] virtual QString itemText(int index) const = 0;
    // Index of the selected entry, -1 for none.
    [[nodiscard]] virtual int currentIndex() const = 0;
    // Selects the entry; its text becomes the list's text.
    virtual void setCurrentIndex(int index) = 0;
    virtual void beep() = 0;
};

} // namespace platform
