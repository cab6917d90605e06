#include "reading/PreviewParts.h"

#include "reading/LongRuns.h"

#include <QHash>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace PreviewParts {

namespace {

// A page that opens more elements than this without closing them has the deeper ones left out
// of the elements a part reopens.
constexpr qsizetype kMaxOpen = 256;
constexpr qsizetype kMaxReference = 32;
// How far a cut may move forward to split no character, before it splits one anyway.
constexpr qsizetype kMaxCutShift = 64;

// What laying out an element costs beyond its characters, in characters of text that take as
// long: a block or a line break, a table cell. A cell costs twice as much for each table around
// its own, as Qt lays a nested table out again for every table it lies in.
constexpr qsizetype kBlockCost = 32;
constexpr qsizetype kCellCost = 128;
// Tables nested deeper than this are left out, their cells shown as text of the cell around them:
// a table twenty deep takes Qt half a minute, however little it holds.
constexpr int kMaxTableDepth = 8;

bool isOneOf(QStringView name, std::initializer_list<const char *> names)
{
    return std::any_of(names.begin(), names.end(),
                       [name](const char *n) { return name == QLatin1String(n); });
}

// What the parts need to know of an element.
enum Kind : unsigned {
    Void = 1,      // never has content or an end tag
    RawText = 2,   // its content is not markup, and never shown: it runs up to its end tag
    Block = 4,     // a block or a line break
    TablePart = 8, // a table or a part of one
    Cell = 16 | TablePart,
    Sibling = 32, // closes an open element of its kind when it starts (p, li, table rows...)
};

unsigned kindOf(const QString &name)
{
    static const QHash<QString, unsigned> kinds = {
        {QStringLiteral("area"), Void},
        {QStringLiteral("base"), Void},
        {QStringLiteral("br"), Void | Block},
        {QStringLiteral("col"), Void | TablePart},
        {QStringLiteral("embed"), Void},
        {QStringLiteral("hr"), Void | Block},
        {QStringLiteral("img"), Void},
        {QStringLiteral("input"), Void},
        {QStringLiteral("link"), Void},
        {QStringLiteral("meta"), Void},
        {QStringLiteral("param"), Void},
        {QStringLiteral("source"), Void},
        {QStringLiteral("track"), Void},
        {QStringLiteral("wbr"), Void},
        {QStringLiteral("style"), RawText},
        {QStringLiteral("script"), RawText},
        {QStringLiteral("title"), RawText},
        {QStringLiteral("p"), Block | Sibling},
        {QStringLiteral("div"), Block},
        {QStringLiteral("li"), Block | Sibling},
        {QStringLiteral("dt"), Block | Sibling},
        {QStringLiteral("dd"), Block | Sibling},
        {QStringLiteral("h1"), Block},
        {QStringLiteral("h2"), Block},
        {QStringLiteral("h3"), Block},
        {QStringLiteral("h4"), Block},
        {QStringLiteral("h5"), Block},
        {QStringLiteral("h6"), Block},
        {QStringLiteral("blockquote"), Block},
        {QStringLiteral("pre"), Block},
        {QStringLiteral("ul"), Block},
        {QStringLiteral("ol"), Block},
        {QStringLiteral("dl"), Block},
        {QStringLiteral("center"), Block},
        {QStringLiteral("address"), Block},
        {QStringLiteral("table"), Block | TablePart},
        {QStringLiteral("tr"), Block | TablePart | Sibling},
        {QStringLiteral("td"), Cell | Sibling},
        {QStringLiteral("th"), Cell | Sibling},
        {QStringLiteral("tbody"), TablePart},
        {QStringLiteral("thead"), TablePart},
        {QStringLiteral("tfoot"), TablePart},
        {QStringLiteral("caption"), TablePart},
        {QStringLiteral("colgroup"), TablePart},
        {QStringLiteral("option"), Sibling},
    };
    return kinds.value(name, 0);
}

// The position just past the '>' that ends the tag opening at from, or the end of the page. As
// in QTextDocument's parser, a quote opens a quoted word only at the start of a word (after '=' or
// white space), and a quoted word may hold '>'.
qsizetype tagEnd(QStringView page, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from + 1; i < page.size(); ++i) {
        const QChar c = page.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'>') {
            return i + 1;
        } else if ((c == u'"' || c == u'\'')
                   && (page.at(i - 1) == u'=' || page.at(i - 1).isSpace())) {
            quote = c;
        }
    }
    return page.size();
}

struct Tag {
    QString name; // lower case; empty for <!...>, <?...> and what names nothing
    bool closing = false;
    bool selfClosing = false;
};

Tag readTag(QStringView tag)
{
    Tag read;
    qsizetype at = 1;
    while (at < tag.size() && tag.at(at).isSpace())
        ++at;
    if (at < tag.size() && tag.at(at) == u'/') {
        read.closing = true;
        ++at;
    }
    const qsizetype nameFrom = at;
    while (at < tag.size()
           && (tag.at(at).isLetterOrNumber() || tag.at(at) == u'-' || tag.at(at) == u':'))
        ++at;
    read.name = tag.sliced(nameFrom, at - nameFrom).toString().toLower();
    read.selfClosing = tag.endsWith(QLatin1String("/>"));
    return read;
}

// The length of the character reference ("&amp;", "&#38;", "&#x26;") at from, or 0.
qsizetype referenceLength(QStringView page, qsizetype from)
{
    const qsizetype last = std::min(page.size(), from + kMaxReference);
    for (qsizetype i = from + 1; i < last; ++i) {
        const QChar c = page.at(i);
        if (c == u';')
            return i > from + 1 ? i - from + 1 : 0;
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'#')
            return 0;
    }
    return 0;
}

class Writer {
public:
    Writer(const QString &page, const Start &start, qsizetype size)
        : m_page(page)
        , m_size(size)
        , m_window(std::max<qsizetype>(size / 8, 1))
        , m_pos(start.position)
        , m_open(start.open)
        , m_styles(start.styles)
        , m_droppedTables(start.droppedTables)
    {
        for (const auto &style : m_styles)
            m_stylesLength += style.second;
    }

    Part write(const QString &restText)
    {
        if (m_pos > 0)
            reopen();
        while (m_pos < m_page.size()) {
            if (!m_whole
                && (m_counted >= m_size
                    || (m_counted >= m_size - m_window && m_page.at(m_pos) == u'<'))
                && !takesTheTail(m_pos))
                break;
            const QChar c = m_page.at(m_pos);
            if (c == u'<')
                tag();
            else if (c == u'&' && reference())
                continue;
            else if (text())
                break;
        }
        Part part;
        if (m_pos < m_page.size()) {
            endCut(restText);
            part.rest = Start{m_pos, m_open, m_styles, m_droppedTables};
        }
        part.html = std::move(m_out);
        return part;
    }

private:
    // A later part starts under the page's style sheets, inside the elements open where it
    // starts, with "…".
    void reopen()
    {
        for (const auto &[from, length] : m_styles)
            m_out += QStringView(m_page).sliced(from, length);
        for (const OpenElement &element : m_open)
            m_out += QStringView(m_page).sliced(element.tagFrom, element.tagLength);
        m_breaker.append(QStringView(&LongRuns::kEllipsis, 1), m_out);
    }

    void endCut(const QString &restText)
    {
        m_out += LongRuns::kEllipsis;
        for (auto element = m_open.crbegin(); element != m_open.crend(); ++element) {
            if (element->name != u"html" && element->name != u"body")
                m_out += QLatin1String("</") + element->name + u'>';
        }
        m_out += QLatin1String("<p><a href=\"") + kRestAddress + QLatin1String("\">")
            + restText.toHtmlEscaped() + QLatin1String("</a></p>");
    }

    // A cut that would leave a last part of a few characters takes them in instead.
    bool takesTheTail(qsizetype cut)
    {
        m_whole = m_page.size() - cut <= m_size / 32;
        return m_whole;
    }

    void tag()
    {
        const QStringView page(m_page);
        if (page.sliced(m_pos).startsWith(QLatin1String("<!--"))) {
            const qsizetype end = m_page.indexOf(QLatin1String("-->"), m_pos + 4);
            m_pos = end < 0 ? m_page.size() : end + 3;
            return;
        }
        const qsizetype from = m_pos;
        const qsizetype end = tagEnd(page, from);
        const Tag read = readTag(page.sliced(from, end - from));
        const unsigned kind = kindOf(read.name);
        if (!read.closing && (kind & RawText)) {
            rawTextElement(read.name, end);
            return;
        }
        m_counted += end - from;
        m_pos = end;
        if ((kind & TablePart) && leavesOut(read)) {
            m_breaker.append(u" ", m_out); // what the cell held stays apart from its neighbours
            return;
        }
        m_out += page.sliced(from, end - from);
        if (read.name.isEmpty())
            return;
        if (read.closing) {
            close(read.name);
            return;
        }
        if ((kind & Cell) == Cell)
            m_counted += kCellCost << std::clamp(tableDepth() - 1, 0, kMaxTableDepth);
        else if (kind & Block)
            m_counted += kBlockCost;
        if (read.selfClosing || (kind & Void))
            return;
        if (kind & Sibling)
            closeSibling(read.name);
        if (m_open.size() < kMaxOpen)
            m_open.append({read.name, from, end - from});
    }

    int tableDepth() const
    {
        return int(std::count_if(m_open.cbegin(), m_open.cend(),
                                 [](const OpenElement &e) { return e.name == u"table"; }));
    }

    // True for a tag of a table nested too deep, and for every table tag inside one.
    bool leavesOut(const Tag &read)
    {
        if (read.name == u"table" && !read.selfClosing) {
            if (read.closing && m_droppedTables > 0) {
                --m_droppedTables;
                return true;
            }
            if (!read.closing && (m_droppedTables > 0 || tableDepth() >= kMaxTableDepth)) {
                ++m_droppedTables;
                return true;
            }
        }
        return m_droppedTables > 0;
    }

    // The whole element, copied as it is; the document title cut short, as it is never laid out.
    void rawTextElement(const QString &name, qsizetype contentFrom)
    {
        const QStringView page(m_page);
        const qsizetype endTag
            = m_page.indexOf(QLatin1String("</") + name, contentFrom, Qt::CaseInsensitive);
        const qsizetype contentEnd = endTag < 0 ? m_page.size() : endTag;
        const qsizetype end = endTag < 0 ? m_page.size() : tagEnd(page, endTag);
        if (name == u"title") {
            const QStringView content = page.sliced(contentFrom, contentEnd - contentFrom);
            const QStringView kept = LongRuns::safeLeft(content, kTitleKept);
            m_out += page.sliced(m_pos, contentFrom - m_pos);
            m_out += kept;
            if (kept.size() < content.size())
                m_out += LongRuns::kEllipsis;
            m_out += endTag < 0 ? QStringLiteral("</title>") : page.sliced(endTag, end - endTag);
        } else {
            m_out += page.sliced(m_pos, end - m_pos);
            m_counted += end - m_pos;
            if (name == u"style" && m_stylesLength + (end - m_pos) <= m_size) {
                m_styles.append({m_pos, end - m_pos});
                m_stylesLength += end - m_pos;
            }
        }
        m_pos = end;
    }

    // The parser closes an open p, li, dt, dd, option or table cell when the next one starts.
    void closeSibling(const QString &name)
    {
        const auto topIs = [this](std::initializer_list<const char *> names) {
            return !m_open.isEmpty() && isOneOf(m_open.constLast().name, names);
        };
        if (name == u"tr") {
            if (topIs({"td", "th"}))
                m_open.removeLast();
            if (topIs({"tr"}))
                m_open.removeLast();
        } else if (isOneOf(name, {"td", "th"})) {
            if (topIs({"td", "th"}))
                m_open.removeLast();
        } else if (isOneOf(name, {"dt", "dd"})) {
            if (topIs({"dt", "dd"}))
                m_open.removeLast();
        } else if (!m_open.isEmpty() && m_open.constLast().name == name) {
            m_open.removeLast();
        }
    }

    void close(const QString &name)
    {
        for (qsizetype i = m_open.size() - 1; i >= 0; --i) {
            if (m_open.at(i).name == name) {
                m_open.resize(i);
                return;
            }
        }
    }

    bool reference()
    {
        const qsizetype length = referenceLength(m_page, m_pos);
        if (length == 0)
            return false;
        m_breaker.appendAtom(QStringView(m_page).sliced(m_pos, length), m_out);
        m_counted += length;
        m_pos += length;
        return true;
    }

    // The text up to the next tag or reference, or up to the cut when the part ends inside it;
    // true when it does. The cut goes before white space in the part's last eighth when there is
    // some, else where it splits no character.
    bool text()
    {
        const QStringView page(m_page);
        const char16_t *units = page.utf16();
        qsizetype stop = m_pos + 1;
        while (stop < page.size() && units[stop] != u'<' && units[stop] != u'&')
            ++stop;
        if (m_whole || m_counted + (stop - m_pos) <= m_size) {
            append(stop);
            return false;
        }
        const qsizetype hard = m_pos + (m_size - m_counted);
        const qsizetype soft = std::max(m_pos + 1, hard - m_window);
        qsizetype cut = hard;
        while (cut > soft && !LongRuns::isBreakOpportunity(page.at(cut)))
            --cut;
        if (!LongRuns::isBreakOpportunity(page.at(cut))) {
            cut = hard;
            while (cut < stop && cut < hard + kMaxCutShift && !LongRuns::canSplitAt(page, cut))
                ++cut;
            if (cut < stop && page.at(cut).isLowSurrogate() && page.at(cut - 1).isHighSurrogate())
                ++cut;
        }
        if (takesTheTail(cut)) {
            append(stop);
            return false;
        }
        append(cut);
        return true;
    }

    void append(qsizetype end)
    {
        m_breaker.append(QStringView(m_page).sliced(m_pos, end - m_pos), m_out);
        m_counted += end - m_pos;
        m_pos = end;
    }

    const QString &m_page;
    const qsizetype m_size;
    const qsizetype m_window;
    qsizetype m_pos;
    qsizetype m_counted = 0;
    QList<OpenElement> m_open;
    QList<std::pair<qsizetype, qsizetype>> m_styles;
    qsizetype m_stylesLength = 0;
    int m_droppedTables;
    bool m_whole = false; // no more cuts: the part takes the rest of the page
    LongRuns::Breaker m_breaker;
    QString m_out;
};

} // namespace

Part part(const QString &page, const Start &start, const QString &restText, qsizetype size)
{
    return Writer(page, start, size).write(restText);
}

} // namespace PreviewParts
