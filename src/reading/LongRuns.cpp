#include "reading/LongRuns.h"

namespace LongRuns {

namespace {

constexpr char32_t kZeroWidthJoiner = 0x200D;

// The code point that starts at text[at]; a lone surrogate stands for itself.
char32_t codePointAt(QStringView text, qsizetype at)
{
    const QChar c = text.at(at);
    if (c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(at + 1));
    return c.unicode();
}

// The code point that ends just before text[at].
char32_t codePointBefore(QStringView text, qsizetype at)
{
    const QChar c = text.at(at - 1);
    if (c.isLowSurrogate() && at >= 2 && text.at(at - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(text.at(at - 2), c);
    return c.unicode();
}

bool isRegionalIndicator(char32_t c)
{
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

// True when after belongs to the character before it: a combining mark (accents, variation
// selectors), a skin tone, a tag of a flag, either side of a zero-width joiner, the second half
// of a flag.
bool clings(char32_t before, char32_t after)
{
    switch (QChar::category(after)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        break;
    }
    return (after >= 0x1F3FB && after <= 0x1F3FF) || (after >= 0xE0020 && after <= 0xE007F)
        || after == kZeroWidthJoiner || before == kZeroWidthJoiner
        || (isRegionalIndicator(before) && isRegionalIndicator(after));
}

bool splitsSurrogatePair(QStringView text, qsizetype at)
{
    return at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate()
        && text.at(at).isLowSurrogate();
}

} // namespace

bool isBreakOpportunity(QChar c)
{
    switch (c.unicode()) {
    case 0x00A0: // no-break space
    case 0x2007: // figure space
    case 0x202F: // narrow no-break space
        return false;
    case 0x200B:
        return true;
    default:
        return c.isSpace();
    }
}

bool canSplitAt(QStringView text, qsizetype at)
{
    if (at <= 0 || at >= text.size())
        return true;
    return !splitsSurrogatePair(text, at)
        && !clings(codePointBefore(text, at), codePointAt(text, at));
}

QStringView safeLeft(QStringView text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    for (qsizetype at = length; at > 0; --at) {
        if (canSplitAt(text, at))
            return text.first(at);
    }
    // A character of nothing but combining marks: split between two of them.
    return text.first(splitsSurrogatePair(text, length) ? length - 1 : length);
}

// A due break waits for a place where it splits no character, but not forever: a run of
// nothing but combining marks gets its breaks all the same, between two marks. Text between
// breaks is copied in one piece, and plain ASCII takes no look at character properties, as a
// feed may send megabytes of it.
void Breaker::append(QStringView text, QString &out)
{
    if (text.isEmpty())
        return;
    const char16_t *units = text.utf16();
    qsizetype copied = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t unit = units[at];
        const qsizetype due = m_broken ? kBreakEvery : kKeptRun;
        if (unit < 0x80) {
            if (unit == u' ' || (unit >= 0x09 && unit <= 0x0D)) {
                m_run = 0;
                m_broken = false;
                continue;
            }
            if (m_run < due) {
                ++m_run;
                continue;
            }
        } else {
            const QChar c(unit);
            if (isBreakOpportunity(c)) {
                m_run = 0;
                m_broken = false;
                continue;
            }
            const QChar before = at > 0 ? QChar(units[at - 1]) : m_last;
            if (c.isLowSurrogate() && before.isHighSurrogate())
                continue; // the second half of a character counted with the first
        }
        if (m_run >= due
            && (m_run >= due + kBreakEvery
                || !clings(at > 0 ? codePointBefore(text, at) : m_lastCode,
                           codePointAt(text, at)))) {
            out += text.sliced(copied, at - copied);
            out += kBreak;
            copied = at;
            m_run = 0;
            m_broken = true;
        }
        ++m_run;
    }
    out += text.sliced(copied);
    m_last = text.back();
    m_lastCode = codePointBefore(text, text.size());
}

void Breaker::appendAtom(QStringView atom, QString &out)
{
    if (m_run >= (m_broken ? kBreakEvery : kKeptRun)) {
        out += kBreak;
        m_run = 0;
        m_broken = true;
    }
    out += atom;
    ++m_run;
    m_last = QLatin1Char('x');
    m_lastCode = U'x';
}

QString withBreaks(QStringView text)
{
    QString out;
    Breaker().append(text, out);
    return out;
}

QString withoutBreaks(QString text)
{
    return text.remove(kBreak);
}

QString shortLine(QStringView text)
{
    QString out;
    bool cut = false;
    qsizetype at = 0;
    while (at < text.size() && !cut) {
        if (isBreakOpportunity(text.at(at))) {
            out += text.at(at++);
            continue;
        }
        qsizetype end = at;
        while (end < text.size() && !isBreakOpportunity(text.at(end)))
            ++end;
        const QStringView run = text.sliced(at, end - at);
        if (run.size() > kLineRun) {
            out += safeLeft(run, kLineRun);
            out += kEllipsis;
        } else {
            out += run;
        }
        at = end;
        cut = out.size() > kLineLength;
    }
    if (!cut)
        return out;
    QString line = safeLeft(out, kLineLength).toString();
    if (!line.endsWith(kEllipsis))
        line += kEllipsis;
    return line;
}

} // namespace LongRuns
