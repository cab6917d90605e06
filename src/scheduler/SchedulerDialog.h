#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QTreeWidget;
class Languages;

namespace platform {
struct Context;
class QtReportList;
class TreeView;
} // namespace platform

// The scheduler dialog: switches scheduled checks on or off, picks the feeds they fetch from the
// category tree's feeds, the interval and the popup and sound that announce new items. It edits
// the scheduler settings as the configuration file holds them and saves them only on a valid OK;
// Cancel leaves the file as it was.
class SchedulerDialog final : public QDialog {
    Q_OBJECT
public:
    // categoryTree is the main window's tree; it is read in prepare() only. enableSchedule is
    // called after a saving OK, so that the main window restarts its timer from the new values.
    SchedulerDialog(const platform::Context &ctx, Languages &languages,
                    const platform::TreeView &categoryTree, std::function<void()> enableSchedule,
                    QWidget *parent = nullptr);
    ~SchedulerDialog() override;

    // Translates the dialog, lists every feed of the tree as a source and loads the scheduler
    // settings into the controls. The opener calls it once, before exec().
    void prepare();

private:
    void buildControls();
    void layOutControls();
    void translate();
    void fillSources();
    void fillSchedule();
    void updateEnableState();

    void addSource(int position);
    void removeScheduled(int position);
    void confirm();
    [[nodiscard]] bool validToSave();
    void save();

    const platform::Context &m_ctx;
    Languages &m_languages;
    const platform::TreeView &m_categoryTree;
    std::function<void()> m_enableSchedule;

    QGroupBox *m_fmScheduleOpt = nullptr;
    QGroupBox *m_sourcesFrame = nullptr;  // fmContainer(0)
    QGroupBox *m_settingsFrame = nullptr; // fmContainer(1)
    QGroupBox *m_buttonsFrame = nullptr;  // fmContainer(2)
    QCheckBox *m_chkEnableScheduler = nullptr;
    QTreeWidget *m_lstSources = nullptr;
    QTreeWidget *m_lstSchedule = nullptr;
    QComboBox *m_cmbInterval = nullptr;
    QCheckBox *m_chkNotify = nullptr;
    QCheckBox *m_chkSound = nullptr;
    std::unique_ptr<platform::QtReportList> m_sources;
    std::unique_ptr<platform::QtReportList> m_schedule;
};
