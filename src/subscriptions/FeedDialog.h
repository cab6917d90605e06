#pragma once

#include "subscriptions/FeedProbe.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QPushButton;
class Languages;

namespace platform {
struct Context;
class QtComboBoxView;
} // namespace platform

// "Add New Feed ..." / "Edit Feed Details ...": subscribes to a feed or changes one, in two
// phases carried by the tag of btnOK. Phase one ("proceed") shows only the URL: btnOK fetches it
// (FeedProbe::checkFeed), which tells the feed type and proposes the channel title as its name.
// Phase two ("ok") locks the validated URL, reveals the name and the category and stores the
// subscription; a category typed there that does not exist yet is created first.
//
// The opener calls the setters, then prepare(), then exec(). The probe runs the event loop while
// it waits, so for its whole length the buttons and the URL are disabled and the dialog refuses
// to close: closing it then would destroy it under the running probe.
class FeedDialog final : public QDialog {
    Q_OBJECT
public:
    FeedDialog(const platform::Context &ctx, Languages &languages, std::function<void()> reloadTree,
               QWidget *parent = nullptr);
    ~FeedDialog() override;

    // Edits the feed feedId instead of adding one (its category cannot be changed here).
    void setEditing(bool editing) { m_editing = editing; }
    void setFeedID(const QString &id) { m_feedID = id; }
    // The category to preselect; matched exactly, letter case included.
    void setCategory(const QString &category) { m_category = category; }
    void setChannel(const QString &name);
    void setURL(const QString &url);
    void setProbeTimeout(int ms) { m_probeTimeoutMs = ms; }

    // The feed type code of the last probe; -1 before any probe and after a failed one.
    [[nodiscard]] FeedType typeOfFeed() const { return m_typeOfFeed; }
    // True while the probe waits for the feed.
    [[nodiscard]] bool isValidating() const { return m_validating; }

    // Translates the captions, sets the title of the mode, fills the category list and
    // preselects the category. The dialog then shows phase one.
    void prepare();

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillCategories();
    void confirm();
    void validateURL();
    void setValidating(bool validating);
    void showPhaseTwo();
    void storeFeed();

    const platform::Context &m_ctx;
    Languages &m_languages;
    std::function<void()> m_reloadTree;

    bool m_editing = false;
    QString m_feedID;
    QString m_category;
    FeedType m_typeOfFeed = FeedType::Unknown;
    int m_probeTimeoutMs = FeedProbe::kProbeTimeoutMs;
    bool m_validating = false;

    QFormLayout *m_form = nullptr;
    QLineEdit *m_txtURL = nullptr;
    QLineEdit *m_txtChannel = nullptr;
    QComboBox *m_cmbCategories = nullptr;
    QPushButton *m_btnOK = nullptr;
    QPushButton *m_btnCancel = nullptr;
    std::unique_ptr<platform::QtComboBoxView> m_categories;
};
