#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class Languages;

namespace platform {
struct Context;
}

// "Add/Edit Category": names a new category (mode 0, "Add Category") or renames the category
// categoryName (mode 1, "Save Details"). Adding takes the name as typed, also one that exists
// already; renaming refuses a name another category has. The opener calls setMode (and, for
// renaming, setCategoryName), then prepare(), then exec().
class CategoryDialog final : public QDialog {
    Q_OBJECT
public:
    CategoryDialog(const platform::Context &ctx, Languages &languages,
                   std::function<void()> reloadTree, QWidget *parent = nullptr);

    // Renames the category categoryName instead of adding one.
    void setEditing(bool editing) { m_editing = editing; }
    [[nodiscard]] QString categoryName() const { return m_categoryName; }
    void setCategoryName(const QString &name) { m_categoryName = name; }

    // Sets the title, translates the captions and fills the name field for the mode.
    void prepare();

private:
    void confirm();

    const platform::Context &m_ctx;
    Languages &m_languages;
    std::function<void()> m_reloadTree;

    bool m_editing = false;
    QString m_categoryName;
    QString m_nameBeforeEditing;

    QLineEdit *m_txtCategoryName = nullptr;
    QPushButton *m_btnOK = nullptr;
};
