#include "subscriptions/CategoryDialog.h"

#include "localization/DialogLanguage.h"
#include "localization/Languages.h"
#include "subscriptions/SubscriptionEdits.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CategoryDialog::CategoryDialog(const platform::Context &ctx, Languages &languages,
                               std::function<void()> reloadTree, QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_languages(languages)
    , m_reloadTree(std::move(reloadTree))
{
    setObjectName(QStringLiteral("frmCategory"));

    auto *label = new QLabel(QStringLiteral("Name of Category:"), this);
    label->setObjectName(QStringLiteral("lblInfo"));
    m_txtCategoryName = new QLineEdit(this);
    m_txtCategoryName->setObjectName(QStringLiteral("txtCategoryName"));
    label->setBuddy(m_txtCategoryName);

    // Enter in the name field clicks btnOK, the default button.
    // Its caption tells the mode, so the language file leaves it alone.
    m_btnOK = DialogLanguage::untranslatedButton("btnOK", QStringLiteral("Add Category"), this);
    m_btnOK->setDefault(true);
    auto *btnCancel = DialogLanguage::standardButton(QDialogButtonBox::Cancel, "btnCancel", this);
    connect(m_btnOK, &QPushButton::clicked, this, &CategoryDialog::confirm);
    connect(btnCancel, &QPushButton::clicked, this, &CategoryDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_txtCategoryName);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

void CategoryDialog::prepare()
{
    setWindowTitle(QStringLiteral("Add/Edit Category"));
    DialogLanguage::translate(*this, m_languages);

    m_nameBeforeEditing = m_editing ? m_categoryName : QString();
    m_txtCategoryName->setText(m_nameBeforeEditing);
    m_btnOK->setText(m_editing ? QStringLiteral("Save Details") : QStringLiteral("Add Category"));
}

void CategoryDialog::confirm()
{
    const QString name = m_txtCategoryName->text();
    const bool stored = m_editing
        ? SubscriptionEdits::renameCategory(m_ctx, m_nameBeforeEditing, name)
        : SubscriptionEdits::addCategory(m_ctx, name);
    if (!stored) {
        m_txtCategoryName->setFocus();
        return;
    }
    if (m_reloadTree)
        m_reloadTree();
    accept();
}
