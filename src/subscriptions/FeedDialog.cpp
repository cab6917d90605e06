#include "subscriptions/FeedDialog.h"

#include "common/ComboCompletion.h"
#include "common/Text.h"
#include "localization/DialogLanguage.h"
#include "localization/Languages.h"
#include "localization/QtTranslatableWindow.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "platform/QtComboBoxView.h"
#include "subscriptions/Categories.h"
#include "subscriptions/FeedsDatabase.h"
#include "subscriptions/SubscriptionEdits.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char *const kTag = "tag";
const QString kProceedTag = QStringLiteral("proceed");
const QString kOkTag = QStringLiteral("ok");

constexpr int kBackspace = 8;

QLabel *namedLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// The character code that type-ahead completion takes for a key, or 0 for a key it must not
// see: shortcuts, movement keys, and Enter and Escape, which keep their meaning for the dialog
// (OK and Cancel) also in the category box.
int typedCharacterCode(const QKeyEvent &key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    if (key.key() == Qt::Key_Backspace)
        return kBackspace;
    const QString text = key.text();
    if (text.size() != 1 || !text.at(0).isPrint())
        return 0;
    return text.at(0).unicode();
}

} // namespace

FeedDialog::FeedDialog(const platform::Context &ctx, Languages &languages,
                       std::function<void()> reloadTree, QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_languages(languages)
    , m_reloadTree(std::move(reloadTree))
{
    setObjectName(QStringLiteral("frmAddFeed"));

    m_txtURL = new QLineEdit(this);
    m_txtURL->setObjectName(QStringLiteral("txtURL"));
    m_txtChannel = new QLineEdit(this);
    m_txtChannel->setObjectName(QStringLiteral("txtChannel"));
    m_cmbCategories = new QComboBox(this);
    m_cmbCategories->setObjectName(QStringLiteral("cmbCategories"));
    m_cmbCategories->setEditable(true);
    // Completion and new entries are the dialog's own business (type-ahead, and categories are
    // created in the database, not in the list).
    m_cmbCategories->setCompleter(nullptr);
    m_cmbCategories->setInsertPolicy(QComboBox::NoInsert);
    // Typed keys reach the combo box when it has the focus, which hands them to its line edit
    // directly; the line edit gets them itself when it has the focus.
    m_cmbCategories->installEventFilter(this);
    m_cmbCategories->lineEdit()->installEventFilter(this);
    m_categories = std::make_unique<platform::QtComboBoxView>(*m_cmbCategories);

    m_form = new QFormLayout;
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_form->addRow(namedLabel("lblInfo2", QStringLiteral("Feed URL:"), this), m_txtURL);
    m_form->addRow(namedLabel("lblInfo1", QStringLiteral("Channel Name:"), this), m_txtChannel);
    m_form->addRow(namedLabel("lblInfo0", QStringLiteral("Category:"), this), m_cmbCategories);

    // Its caption tells the phase, so the language file leaves it alone.
    m_btnOK = DialogLanguage::untranslatedButton("btnOK", QStringLiteral("Proceed ..."), this);
    m_btnOK->setProperty(kTag, kProceedTag);
    m_btnOK->setDefault(true);
    m_btnCancel = DialogLanguage::standardButton(QDialogButtonBox::Cancel, "btnCancel", this);
    connect(m_btnOK, &QPushButton::clicked, this, &FeedDialog::confirm);
    connect(m_btnCancel, &QPushButton::clicked, this, &FeedDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(480);

    m_form->setRowVisible(m_txtChannel, false);
    m_form->setRowVisible(m_cmbCategories, false);
}

FeedDialog::~FeedDialog() = default;

void FeedDialog::setChannel(const QString &name)
{
    m_txtChannel->setText(name);
}

void FeedDialog::setURL(const QString &url)
{
    m_txtURL->setText(url);
}

void FeedDialog::prepare()
{
    QtTranslatableWindow window(*this);
    m_languages.changeLanguage(window, m_languages.currentLanguage());
    setWindowTitle(m_editing ? QStringLiteral("Edit Feed Details ...")
                             : QStringLiteral("Add New Feed ..."));
    // A feed changes its category by being moved in the tree.
    m_cmbCategories->setEnabled(!m_editing);
    fillCategories();
}

void FeedDialog::fillCategories()
{
    Categories::loadCategories(m_ctx, *m_categories);
    for (int index = 0; index < m_categories->count(); ++index) {
        if (m_categories->itemText(index) == m_category) {
            m_categories->setCurrentIndex(index);
            return;
        }
    }
    // The edited feed is stored under its category whatever the list holds.
    if (m_editing)
        m_categories->setText(m_category);
}

void FeedDialog::confirm()
{
    if (m_validating)
        return;
    if (m_btnOK->property(kTag).toString() == kProceedTag)
        validateURL();
    else
        storeFeed();
}

void FeedDialog::validateURL()
{
    if (Text::isBlank(m_txtURL->text())) {
        m_ctx.messages.warning(QStringLiteral("Feed URL?"),
                               QStringLiteral("Please specify Feed URL."));
        m_txtURL->setFocus();
        return;
    }
    setValidating(true);
    QString channel = m_txtChannel->text();
    m_typeOfFeed = FeedProbe::checkFeed(m_ctx, m_txtURL->text(), channel, m_probeTimeoutMs);
    m_txtChannel->setText(channel);
    setValidating(false);

    if (m_typeOfFeed == FeedType::Unknown) {
        m_txtURL->selectAll();
        m_txtURL->setFocus();
        m_btnOK->setText(QStringLiteral("Proceed..."));
        return;
    }
    m_txtURL->setEnabled(false);
    m_btnOK->setText(QStringLiteral("OK"));
    m_btnOK->setProperty(kTag, kOkTag);
    showPhaseTwo();
}

void FeedDialog::setValidating(bool validating)
{
    m_validating = validating;
    m_btnCancel->setEnabled(!validating);
    m_txtURL->setEnabled(!validating);
    m_btnOK->setEnabled(!validating);
    if (validating)
        m_btnOK->setText(QStringLiteral("Validating..."));
}

void FeedDialog::showPhaseTwo()
{
    m_form->setRowVisible(m_txtChannel, true);
    m_form->setRowVisible(m_cmbCategories, true);
    layout()->activate();
    resize(width(), qMax(height(), sizeHint().height()));
    m_txtChannel->setFocus();
}

void FeedDialog::storeFeed()
{
    FeedRecord feed;
    feed.category = m_cmbCategories->currentText();
    feed.url = m_txtURL->text();
    feed.feedType = m_typeOfFeed;
    feed.id = m_editing ? m_feedID : Feeds::newFeedIdentifier();
    feed.name = m_txtChannel->text();
    if (!SubscriptionEdits::storeFeed(m_ctx, feed, m_editing))
        return;
    if (m_reloadTree)
        m_reloadTree();
    accept();
}

void FeedDialog::reject()
{
    if (!m_validating)
        QDialog::reject();
}

void FeedDialog::closeEvent(QCloseEvent *event)
{
    if (m_validating) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool FeedDialog::eventFilter(QObject *watched, QEvent *event)
{
    const bool categoryBox = watched == m_cmbCategories || watched == m_cmbCategories->lineEdit();
    if (categoryBox && event->type() == QEvent::KeyPress) {
        int code = typedCharacterCode(*static_cast<QKeyEvent *>(event));
        if (code == 0)
            return false;
        ComboCompletion::complete(*m_categories, code, false, false);
        return code == 0; // consumed: completion has already changed the text
    }
    return QDialog::eventFilter(watched, event);
}
