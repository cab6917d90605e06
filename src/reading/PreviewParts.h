#pragma once

#include <QLatin1String>
#include <QList>
#include <QString>

#include <optional>

// What the preview shows of a page: the page in parts, each small enough to lay out in a few tens
// of milliseconds (about 25 ms for a part of unbroken text), whatever the feed sent. The first part is the page from its start; a part that
// does not reach the end of the page ends where it was cut with "…" and a link to the rest, and
// the next part goes on from there with "…", inside the elements open at the cut and under the
// page's style sheets. Long runs of text get break opportunities (see LongRuns) in every part.
//
// Only text is changed: tags, comments, character references and style sheets are never split,
// and no break goes inside a tag, an attribute (an address, a data: image) or a reference.
// Tags are found as QTextDocument finds them: every '<' opens one.
namespace PreviewParts {

// What one part takes of a page, in characters of text: tags count with their length, and blocks,
// line breaks and table cells as much more as they take longer to lay out. A part is not cut
// within its last eighth where a tag or white space gives a better place, and it takes the end of
// the page rather than leave a last part of a few characters. Comments are dropped and do not
// count, nor does the document title, which is kept to its first kTitleKept characters. Tables
// nested more than eight deep are left out, their cells shown as the text of the cell around
// them: Qt takes time that doubles with every level to lay them out.
inline constexpr qsizetype kPartSize = 32 * 1024;
inline constexpr qsizetype kTitleKept = 1024;

// The address of the link to the rest of a page. The preview follows it itself.
inline const QLatin1String kRestAddress("marlowin-preview:rest");

// An element open where a part starts: its name (lower case) and where its start tag stands.
struct OpenElement {
    QString name;
    qsizetype tagFrom = 0;
    qsizetype tagLength = 0;
};

// Where a part starts in its page, and what it takes of the page before it.
struct Start {
    qsizetype position = 0;
    QList<OpenElement> open;                       // outermost first
    QList<std::pair<qsizetype, qsizetype>> styles; // <style> elements before it: from, length
    int droppedTables = 0; // tables left out (nested too deep) that are open there
};

struct Part {
    QString html;
    std::optional<Start> rest; // where the next part starts; none for the last part
};

// The part of page that starts at start, its link to the rest showing restText.
[[nodiscard]] Part part(const QString &page, const Start &start, const QString &restText,
                        qsizetype size = kPartSize);

} // namespace PreviewParts
