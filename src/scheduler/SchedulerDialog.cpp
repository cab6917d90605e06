#include "scheduler/SchedulerDialog.h"

#include "common/ErrorReport.h"
#include "common/Files.h"
#include "localization/DialogLanguage.h"
#include "localization/Languages.h"
#include "platform/Context.h"
#include "platform/Icons.h"
#include "platform/MessageBoxes.h"
#include "platform/QtReportList.h"
#include "scheduler/ScheduleInterval.h"
#include "scheduler/ScheduleRows.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QGroupBox *frame(const char *name, const QString &title, QWidget *parent)
{
    auto *frame = new QGroupBox(title, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

// The three frames below step 1 form one indexed group, as the language file addresses them.
QGroupBox *container(int index, const QString &title, QWidget *parent)
{
    QGroupBox *box = frame("fmContainer", title, parent);
    box->setProperty("controlIndex", index);
    return box;
}

QCheckBox *checkBox(const char *name, const QString &text, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLabel *label(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

QTreeWidget *feedList(const char *name, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setIconSize(QSize(16, 16));
    // The one column always fills the list, so there is nothing to scroll sideways to.
    list->header()->setStretchLastSection(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setMinimumSize(200, 180);
    return list;
}

// The feed icons under the image numbers of the category tree: 3 RSS, 4 Atom, 5 podcast.
QHash<QString, QIcon> feedIcons()
{
    return {{QStringLiteral("3"), platform::namedIcon(QStringLiteral("feed-rss"))},
            {QStringLiteral("4"), platform::namedIcon(QStringLiteral("feed-atom"))},
            {QStringLiteral("5"), platform::namedIcon(QStringLiteral("feed-podcast"))}};
}

std::unique_ptr<platform::QtReportList> feedReportList(QTreeWidget &list)
{
    auto binding = std::make_unique<platform::QtReportList>(list);
    binding->setColumns({QStringLiteral("Feed Source")}, {});
    binding->setIcons(feedIcons());
    return binding;
}

} // namespace

SchedulerDialog::SchedulerDialog(const platform::Context &ctx, Languages &languages,
                                 const platform::TreeView &categoryTree,
                                 std::function<void()> enableSchedule, QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_languages(languages)
    , m_categoryTree(categoryTree)
    , m_enableSchedule(std::move(enableSchedule))
{
    setObjectName(QStringLiteral("frmScheduler"));
    setWindowTitle(QStringLiteral("Scheduler"));
    buildControls();
    layOutControls();
    updateEnableState();
}

SchedulerDialog::~SchedulerDialog() = default;

void SchedulerDialog::buildControls()
{
    m_fmScheduleOpt = frame("fmScheduleOpt", QStringLiteral("Step 1: Enable Scheduler ... "), this);
    m_chkEnableScheduler = checkBox(
        "chkEnableScheduler", QStringLiteral("Enable Scheduled Check of selected Feed Sources."),
        m_fmScheduleOpt);

    m_sourcesFrame = container(0, QStringLiteral("Step 2: Select Feed Sources ... "), this);
    m_lstSources = feedList("lstSources", m_sourcesFrame);
    m_lstSchedule = feedList("lstSchedule", m_sourcesFrame);
    m_sources = feedReportList(*m_lstSources);
    m_schedule = feedReportList(*m_lstSchedule);

    m_settingsFrame = container(1, QStringLiteral("Step 3: Configure Scheduler ... "), this);
    m_cmbInterval = new QComboBox(m_settingsFrame);
    m_cmbInterval->setObjectName(QStringLiteral("cmbInterval"));
    m_cmbInterval->addItems(ScheduleInterval::intervalCaptions());
    m_cmbInterval->setCurrentIndex(-1);
    m_chkNotify
        = checkBox("chkNotify", QStringLiteral("Show Notification Popup."), m_settingsFrame);
    m_chkSound = checkBox("chkSound", QStringLiteral("Play Sound File."), m_settingsFrame);

    m_buttonsFrame = container(2, QString(), this);
    m_buttonsFrame->setFlat(true); // a rule above the buttons rather than a box around them

    connect(m_chkEnableScheduler, &QCheckBox::toggled, this, &SchedulerDialog::updateEnableState);
    connect(m_chkNotify, &QCheckBox::toggled, this, &SchedulerDialog::updateEnableState);
    connect(m_lstSources, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { addSource(m_lstSources->indexOfTopLevelItem(item)); });
    connect(m_lstSchedule, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        removeScheduled(m_lstSchedule->indexOfTopLevelItem(item));
    });
}

void SchedulerDialog::layOutControls()
{
    auto *step1 = new QVBoxLayout(m_fmScheduleOpt);
    step1->addWidget(m_chkEnableScheduler);

    auto *sourcesColumn = new QVBoxLayout;
    sourcesColumn->addWidget(m_lstSources, 1);
    sourcesColumn->addWidget(
        label("lblAddSource", QStringLiteral("Double-click to Add to list of Scheduled Sources."),
              m_sourcesFrame));
    auto *scheduleColumn = new QVBoxLayout;
    scheduleColumn->addWidget(m_lstSchedule, 1);
    scheduleColumn->addWidget(label(
        "lblRemoveSource", QStringLiteral("Double-click to Remove from list of Scheduled Sources."),
        m_sourcesFrame));
    auto *step2 = new QHBoxLayout(m_sourcesFrame);
    step2->addLayout(sourcesColumn, 1);
    step2->addLayout(scheduleColumn, 1);

    QLabel *intervalLabel
        = label("lblInterval", QStringLiteral("Schedule Interval:"), m_settingsFrame);
    QLabel *newItemsLabel
        = label("lblNewItems", QStringLiteral("When New Items Found ... "), m_settingsFrame);
    // Short captions in front of their controls: they keep one line and set the column's width.
    intervalLabel->setWordWrap(false);
    newItemsLabel->setWordWrap(false);
    intervalLabel->setBuddy(m_cmbInterval);
    auto *step3 = new QGridLayout(m_settingsFrame);
    step3->addWidget(intervalLabel, 0, 0);
    step3->addWidget(m_cmbInterval, 0, 1, Qt::AlignLeft);
    step3->addWidget(newItemsLabel, 1, 0);
    step3->addWidget(m_chkNotify, 1, 1);
    step3->addWidget(m_chkSound, 2, 1);
    step3->setColumnStretch(1, 1);

    QPushButton *ok = DialogLanguage::standardButton(QDialogButtonBox::Ok, "btnOK", m_buttonsFrame);
    QPushButton *cancel
        = DialogLanguage::standardButton(QDialogButtonBox::Cancel, "btnCancel", m_buttonsFrame);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &SchedulerDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout(m_buttonsFrame);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fmScheduleOpt);
    layout->addWidget(m_sourcesFrame, 1);
    layout->addWidget(m_settingsFrame);
    layout->addWidget(m_buttonsFrame);
    setMinimumWidth(560);
}

void SchedulerDialog::prepare()
{
    translate();
    fillSources();
    fillSchedule();
}

void SchedulerDialog::translate()
{
    DialogLanguage::translate(*this, m_languages);
}

void SchedulerDialog::fillSources()
{
    m_sources->clear();
    for (const platform::ListRow &row : ScheduleRows::feedRows(m_categoryTree))
        m_sources->add(row);
}

void SchedulerDialog::fillSchedule()
{
    // Settings that were never saved, or a damaged entry (reported in its own box), leave the
    // controls as designed; the list still shows the entries before the damaged one. The boxes'
    // toggled signals bring the enable state up to date.
    const Settings::Scheduler scheduler = Settings::loadScheduler(m_ctx);
    if (const Settings::ScheduleEntry *damaged = scheduler.firstProblem()) {
        ErrorReport::show(m_ctx, QStringLiteral("LoadSchedulerSettings"), 0, damaged->problem);
    } else if (scheduler.listed) {
        m_chkEnableScheduler->setChecked(scheduler.enabled);
        const int interval = scheduler.intervalIndex;
        m_cmbInterval->setCurrentIndex(interval >= 0 && interval < m_cmbInterval->count() ? interval
                                                                                          : -1);
        m_chkNotify->setChecked(scheduler.showPopup);
        m_chkSound->setChecked(scheduler.playPopupSound);
    }
    m_schedule->clear();
    for (const FeedRecord &entry : scheduler.feedsBeforeProblem())
        m_schedule->add(ScheduleRows::rowOf(entry));
}

void SchedulerDialog::updateEnableState()
{
    const bool enabled = m_chkEnableScheduler->isChecked();
    m_sourcesFrame->setEnabled(enabled);
    m_settingsFrame->setEnabled(enabled);
    m_chkSound->setEnabled(m_chkNotify->isChecked());
}

void SchedulerDialog::addSource(int position)
{
    if (position < 0 || position >= m_sources->count())
        return;
    const platform::ListRow source = m_sources->row(position);
    if (ScheduleRows::findKey(*m_schedule, source.key) >= 0) {
        m_ctx.messages.warning(
            QStringLiteral("Source already in Schedule List!"),
            QStringLiteral("Selected Source is already added to the Schedule List."));
        return;
    }
    m_schedule->add(source);
}

void SchedulerDialog::removeScheduled(int position)
{
    if (position < 0 || position >= m_schedule->count())
        return;
    const QString name = m_schedule->row(position).text;
    if (m_ctx.messages.question(QStringLiteral("Remove from Schedule List?"),
                                QStringLiteral("Are you sure you want to Remove \"") + name
                                    + QStringLiteral("\" from Schedule List?")))
        m_schedule->remove(position);
}

void SchedulerDialog::confirm()
{
    if (!validToSave())
        return;
    save();
    accept();
}

bool SchedulerDialog::validToSave()
{
    if (!m_chkEnableScheduler->isChecked())
        return m_ctx.messages.question(
            QStringLiteral("Disable Scheduler?"),
            QStringLiteral("You've selected to Disable Scheduler. Continue?"));
    if (m_schedule->count() == 0) {
        m_ctx.messages.warning(
            QStringLiteral("No Sources Selected!"),
            QStringLiteral("You've enabled Scheduler, but no Feed Sources are configured for "
                           "Scheduled check."));
        return false;
    }
    if (m_cmbInterval->currentIndex() < 0) {
        m_ctx.messages.warning(QStringLiteral("Execution Frequency?"),
                               QStringLiteral("Please set Schedule Execution Interval."));
        m_cmbInterval->setFocus();
        return false;
    }
    return true;
}

void SchedulerDialog::save()
{
    Settings::Scheduler scheduler;
    scheduler.enabled = m_chkEnableScheduler->isChecked();
    scheduler.intervalIndex = m_cmbInterval->currentIndex();
    scheduler.showPopup = m_chkNotify->isChecked();
    scheduler.playPopupSound = m_chkSound->isChecked();
    // The dialog offers no choice of sound: it is always the one shipped in the app folder.
    scheduler.soundFile = Files::withTrailingSlash(m_ctx.appFolder) + QStringLiteral("notify.wav");
    for (int i = 0; i < m_schedule->count(); ++i)
        scheduler.schedule.append({{}, ScheduleRows::entryOf(m_schedule->row(i)), {}});
    Settings::saveScheduler(m_ctx, scheduler);
    m_ctx.messages.information(
        QStringLiteral("Done!"),
        QStringLiteral(
            "Scheduler Settings are Successfully saved to Application Configuration file!"));
    if (m_enableSchedule)
        m_enableSchedule();
}
