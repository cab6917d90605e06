#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One mail as the SMTP session hands it to the server: the sender, the recipients, the subject
// and a single-part body (HTML or plain text). The values may come straight from a feed or from
// what the user typed; MailFormat cleans them on the way into the headers.
struct MailMessage {
    QString fromAddress;
    QString fromName;
    QStringList recipients; // addresses, one per entry
    QString subject;
    QString body;
    bool html = true;
    QDateTime date; // the Date header; the sender's local time and offset
};

// The wire form of a MailMessage (RFC 5322 headers, a MIME body in quoted-printable with CR LF
// line ends) and the cleaning that keeps feed text out of the header structure.
namespace MailFormat {

// Text fit for one header line: CR, LF, tab and every other control character (C0, DEL, C1,
// the Unicode line and paragraph separators) become a space; runs of white space shrink to one
// space and the ends are trimmed. A feed title "x\r\nBcc: y" thus stays inside its header.
[[nodiscard]] QString headerText(const QString &text);

// A bare address from what was typed: the part inside "<...>" when given as "Name <a@b>",
// without white space, control characters or angle brackets.
[[nodiscard]] QString bareAddress(const QString &text);

// The addresses of a recipient list as typed: split at the separator (";" when none is given),
// each cleaned by Address, empty entries dropped. Nothing else splits the list, so no comma or
// line break in the text can add a recipient.
[[nodiscard]] QStringList recipients(const QString &typed, const QString &separator);

// A header value after its "Name: " prefix of prefixLength characters. Printable ASCII goes in
// as it is, folded at spaces; anything else (non-ASCII, "=?", a word too long to fold) becomes
// RFC 2047 encoded words (UTF-8, base64), each holding whole characters, one per folded line.
[[nodiscard]] QByteArray encodedText(const QString &text, int prefixLength);

// "Name <address>": the name as a quoted string, or encoded words when it is not ASCII; the
// bare address when the name is blank.
[[nodiscard]] QByteArray mailbox(const QString &name, const QString &address);

// Quoted-printable of UTF-8 bytes. Every line end (CR LF, CR or LF) becomes CR LF; no line is
// longer than 76 characters; white space before a line end and "=" are encoded. Dots at the start
// of a line are left alone: the SMTP client doubles them on the wire.
[[nodiscard]] QByteArray quotedPrintable(const QByteArray &utf8);

// RFC 5322 date with English names and the time's own UTC offset: "Sat, 14 Mar 2026 09:26:53 +0100".
[[nodiscard]] QByteArray dateText(const QDateTime &when);

// The domain for the Message-ID: the sender address's domain when it is a plain host name,
// otherwise "marlowin.local".
[[nodiscard]] QString idDomain(const QString &address);

// The whole message: headers (Date, From, To, Subject, Message-ID with a fresh unique part,
// MIME-Version, Content-Type with charset UTF-8, Content-Transfer-Encoding), an empty line and
// the encoded body, CR LF throughout.
[[nodiscard]] QByteArray compose(const MailMessage &message);

} // namespace MailFormat
