#include "platform/QtComboBoxView.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalBlocker>

namespace platform {

void QtComboBoxView::setText(const QString &text)
{
    m_combo.setEditText(text);
}

int QtComboBoxView::selectionStart() const
{
    const QLineEdit *edit = m_combo.lineEdit();
    if (!edit)
        return 0;
    return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

void QtComboBoxView::setSelection(int start, int length)
{
    // The caret ends at the far end of the selection, so typing replaces the selected part.
    if (QLineEdit *edit = m_combo.lineEdit())
        edit->setSelection(start, length);
}

void QtComboBoxView::clear()
{
    m_combo.clear();
    m_combo.clearEditText();
}

void QtComboBoxView::addItem(const QString &text)
{
    if (m_combo.currentIndex() != -1) {
        m_combo.addItem(text);
        return;
    }
    // The dialog hears nothing of the selection QComboBox makes and this takes back.
    const QSignalBlocker quiet(m_combo);
    const QString typed = m_combo.currentText();
    const int start = selectionStart();
    const int length = m_combo.lineEdit() ? int(m_combo.lineEdit()->selectedText().size()) : 0;
    m_combo.addItem(text);
    m_combo.setCurrentIndex(-1);
    m_combo.setEditText(typed);
    setSelection(start, length);
}

void QtComboBoxView::beep()
{
    QApplication::beep();
}

} // namespace platform
