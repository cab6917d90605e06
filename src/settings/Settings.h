#pragma once

#include "settings/ConnectionSecurity.h"
#include "subscriptions/FeedRecord.h"

#include <QList>
#include <QString>

#include <optional>

namespace platform {
struct Context;
}

// The configuration file AppCfg.cfg in the app folder, read and written as values: each group of
// settings (e-mail server, closing, scheduler) is loaded afresh into a value that is handed to
// what needs it, and saved from one. Nothing is kept between calls. The file need not exist:
// every read then gives its key's default, and the first save creates it.
//
// Reading soundly from a hand-edited file: an integer key whose text is not a number reads as
// that key's default, and an e-mail value in no stored form (EmailValue) reads as its key's
// default.
namespace Settings {

// The app folder with "/" added, followed by "AppCfg.cfg".
[[nodiscard]] QString configPath(const platform::Context &ctx);

// Section email. Every value is stored in EmailValue's marked form, the port and the
// authentication flag included, in the order sv, po, au, us, pw, pk, fn, fe, cs; values in the
// earlier scrambled form are read too, and the next save rewrites them.
//
// The password lives in the desktop's keyring (ctx.secrets) where one answers: pk then names its
// entry there and pw is empty, so the file holds none. Where no keyring answers, pw holds it and
// pk is empty; the file is readable by its owner only (IniFile).
struct Email {
    QString server;            // sv
    QString port;              // po, held as text
    bool authenticate = false; // au
    QString user;              // us
    QString password;          // pw, or the keyring entry named by pk
    QString fromName;          // fn
    QString fromAddress;       // fe
    // cs: "starttls", "ssl" or "none". Missing or empty (settings saved before there was a
    // choice): TLS from the first byte on port 465, which such settings used there, else
    // STARTTLS. Any other value is STARTTLS: a choice that cannot be read never means "none".
    ConnectionSecurity security = ConnectionSecurity::StartTls;

    // Load only: why the password that the keyring holds could not be read (then it is empty).
    QString passwordProblem{};
};
enum class PasswordPlace { Nowhere, Keyring, File };
// Waits for the keyring when the password lives there (see platform::SecretStore).
[[nodiscard]] Email loadEmail(const platform::Context &ctx);
// The server alone (sv), without asking the keyring.
[[nodiscard]] QString loadEmailServer(const platform::Context &ctx);
// Writes the values, the password to the keyring when one answers, else to the file; an empty
// password goes nowhere, and a keyring entry that held one is removed. Returns where the
// password went.
PasswordPlace saveEmail(const platform::Context &ctx, const Email &email);

// Section app: what closing the main window does, and the start with the desktop session.
struct Closing {
    bool startWithDesktop = false; // autos (written, the desktop's autostart entry decides)
    bool closeCompletely = false;  // close: closing the main window exits the program
    bool minimizeToTray = true;    // mins: closing the main window keeps it in the tray
};
[[nodiscard]] Closing loadClosing(const platform::Context &ctx);
// Writes autos, close, mins.
void saveClosing(const platform::Context &ctx, const Closing &closing);

// confirm: whether closing asks first (missing: true); written as "1" or "0".
[[nodiscard]] bool loadConfirmOnClose(const platform::Context &ctx);
void saveConfirmOnClose(const platform::Context &ctx, bool confirm);

// One entry of the schedule (s_1, s_2, ...): the feed, or why the entry cannot be read.
struct ScheduleEntry {
    QString key;
    std::optional<FeedRecord> feed;
    QString problem; // when there is no feed
};

// Section schdl.
struct Scheduler {
    bool enabled = false;        // ena (missing or no number: off)
    int intervalIndex = -1;      // frq: row of the interval table, 0 to 6; -1 for none
    bool showPopup = true;       // alr: a check that found new items shows the popup
    bool playPopupSound = false; // snd: the popup plays soundFile
    QString soundFile;           // sfl: default is the app folder's notify.wav
    // s_1, s_2, ... up to the first missing key, each in its place; an entry that cannot be read
    // keeps its place with its problem. A key counts as present when the section's key list
    // names it (an empty value is an entry with empty fields); that list is read through a
    // 5000-character buffer, which holds the names of several hundred entries.
    QList<ScheduleEntry> schedule;
    bool listed = false; // the section names at least one key

    // The readable entries before the first that cannot be read.
    [[nodiscard]] QList<FeedRecord> feedsBeforeProblem() const;
    // The first entry that cannot be read, if any.
    [[nodiscard]] const ScheduleEntry *firstProblem() const;
};
[[nodiscard]] Scheduler loadScheduler(const platform::Context &ctx);
// Rewrites the section: deletes it, then writes ena, frq, alr, snd, sfl and one s_<n> key per
// schedule entry that has a feed ("<type>\x05<id>\x05<url>\x05<name>"). A separator inside a
// field is not escaped: it shifts the fields when the entry is read back.
void saveScheduler(const platform::Context &ctx, const Scheduler &scheduler);

// Writes the feed type into every schedule entry of the feed (matched by identifier) that holds
// another type, key by key; the other keys and entries stay as they are. True when an entry was
// changed.
bool correctScheduledFeedType(const platform::Context &ctx, const QString &feedId, FeedType type);

} // namespace Settings
