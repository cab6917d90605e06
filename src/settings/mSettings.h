#pragma once

#include "subscriptions/FeedRecord.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace platform {
struct Context;
}

// The configuration file AppCfg.cfg in the app folder and the program-wide copies of its values.
// Each group (e-mail server, application behaviour, scheduler) has a load operation that fills
// the variables below and a save operation that writes them back key by key. Every operation
// names the file to mINI again (InitIni with ConfigPath and a 5000-character buffer), so no
// other mINI caller can leave it pointing elsewhere. The file need not exist: every read then
// gives its key's default, and the first save creates it.
//
// Reading soundly from a hand-edited file: an integer key whose text is not a number reads as
// that key's default, and an e-mail value that does not unscramble reads as its key's default.
namespace mSettings {

// Section email. Every value is stored scrambled (Scramble), the port and the
// authentication flag included.
extern QString SmtpServer;   // sv
extern QString SmtpPort;     // po, held as text
extern qint16 SmtpAuth;      // au: 1 when the server requires authentication
extern QString SmtpUser;     // us
extern QString SmtpPassword; // pw
extern QString FromName;     // fn
extern QString FromEmail;    // fe

// Section app.
extern qint16 StartWithWindows; // autos: start the program with the desktop session, 0 or 1
extern qint16 CloseCompletely;  // close: 1 when closing the main window exits the program
extern qint16 MinimizeToTray;   // mins: 1 when closing the main window keeps it in the tray
extern bool ConfirmOnClose;     // confirm: show the close confirmation
extern bool CloseOnRequest;     // close as ReadClose reads it (missing means true)

// Section schdl, loaded and saved by the scheduler settings operations.
extern qint16 SchedulerEnabled; // ena: 1 when scheduled checks run
extern qint16 IntervalIndex;    // frq: row of the interval table, 0 to 6; -1 for none
extern qint16 ShowPopup;        // alr: 1 when a check that found new items shows the popup
extern qint16 PlayPopupSound;   // snd: 1 when the popup plays SoundFile
extern QString SoundFile;       // sfl: default is the app folder's notify.wav
extern QList<FeedRecord> ScheduleList; // s_1, s_2, ...: the feeds the scheduler fetches

// The app folder with "/" added, followed by "AppCfg.cfg".
[[nodiscard]] QString ConfigPath(const platform::Context &ctx);

// Writes sv, po, au, us, pw, fn, fe in this order, each scrambled. With showMessage, confirms
// in an information box titled "Done!".
void SaveEmailSettings(const platform::Context &ctx, bool showMessage);

// Reads the seven e-mail keys (missing: empty text, au 0). The e-mail settings dialog fills its
// controls from the variables after this load; the load itself touches no window.
void LoadEmailSettings(const platform::Context &ctx);

// Writes autos, close, mins. With showMessage, confirms in an information box titled "Done!".
void SaveAppSettings(const platform::Context &ctx, bool showMessage);

// Reads autos (missing: 0), close (0) and mins (1). The application settings dialog fills its
// controls from the variables after this load; the load itself touches no window.
void LoadAppSettings(const platform::Context &ctx);

// Whether the close confirmation is shown (missing: true); also stored in ConfirmOnClose.
[[nodiscard]] bool ReadConfirm(const platform::Context &ctx);

// Writes confirm as "1" or "0" and stores the value in ConfirmOnClose.
void WriteConfirm(const platform::Context &ctx, bool value);

// Rewrites the schdl section: deletes it, then writes ena, frq, alr, snd, sfl and one s_<n>
// key per ScheduleList entry ("<type>\x05<id>\x05<url>\x05<name>"). With showMessage, confirms
// in an information box titled "Done!". Then calls enableSchedule (the main window restarts its
// timer from the variables just saved) when one is given.
void SaveSchedulerSettings(const platform::Context &ctx, bool showMessage,
                           const std::function<void()> &enableSchedule = {});

// Empties ScheduleList, then reads ena (missing or no number: 0), frq (-1), alr (1), snd (0)
// and sfl (the app folder's notify.wav), and with loadList the schedule s_1, s_2, ... up to the
// first missing key into ScheduleList. A key counts as present when the section's key list
// names it (an empty value is an entry with empty fields); that list is read through mINI's
// 5000-character buffer, which holds the names of several hundred entries.
// False when the load stopped early: no schdl section (or one without keys) while loading the
// list, or an entry with fewer than four fields or a feed type that is no number, reported in an
// error box "LoadSchedulerSettings Function" / "Error on Line 0" and keeping the entries before
// it. A dialog then leaves its controls as they were; after a true result the scheduler dialog
// fills its controls from the variables.
bool LoadSchedulerSettings(const platform::Context &ctx, bool loadList);

// One entry of the schedule (s_1, s_2, ...) as a scheduled check reads it: the feed, or why the
// entry cannot be read.
struct ScheduleEntry {
    QString key;
    std::optional<FeedRecord> feed;
    QString problem; // when there is no feed
};

// What a scheduled check needs of the schdl section, read afresh as one value; the program-wide
// variables are left alone. An entry that cannot be read is kept in its place with its problem,
// so that the check reports it and goes on with the entries after it.
struct ScheduledCheckSettings {
    bool showPopup = true;       // alr
    bool playPopupSound = false; // snd
    QString soundFile;           // sfl
    QList<ScheduleEntry> schedule;
};
[[nodiscard]] ScheduledCheckSettings ReadScheduledCheckSettings(const platform::Context &ctx);

// Writes the feed type into every schedule entry of the feed (matched by identifier) that
// holds another type, key by key; the other keys and entries stay as they are. True when an
// entry was changed.
bool CorrectScheduledFeedType(const platform::Context &ctx, const QString &feedId, qint16 type);

// Whether closing the main window exits the program (missing: true); also stored in
// CloseOnRequest. CloseCompletely, whose missing value is 0, is left alone.
[[nodiscard]] bool ReadClose(const platform::Context &ctx);

} // namespace mSettings
