#pragma once

#include <QString>

// The HTML body of an item mail, built from the template email.tpl. Plain text work, no
// widgets and no files.
namespace EmailBody {

struct Parts {
    QString fromName;                 // the sender name of the e-mail settings
    QString personalMessage;          // as typed, any line ends
    QString title;                    // the item title, plain text
    QString description;              // the item description, HTML
    QString link;                     // the item's address
    bool completeDescription = false; // send the description rather than the link
};

// The template with [[from_name]], [[personal_message]], [[title]] and [[description]] replaced
// in this order, each wherever it occurs (exact, case-sensitive) and each in the text the one
// before left; then CR LF and the disclaimer. An [[app]] of the template stays as it is.
//
// The sender name, the title and the personal message are plain text and go in HTML-escaped,
// so that "a < b" or a quote reads as typed; the description is HTML and goes in as it is.
[[nodiscard]] QString compose(const QString &tpl, const Parts &parts);

// "- None -" for a blank message; otherwise the escaped text with each line break as
// CR LF "<br>" CR LF.
[[nodiscard]] QString personalMessageHtml(const QString &message);

// "View Online: <a href='L'>L</a>", the address escaped for the attribute and the text.
[[nodiscard]] QString linkParagraph(const QString &link);

// The fixed closing notice, naming the program.
[[nodiscard]] QString disclaimer();

} // namespace EmailBody
