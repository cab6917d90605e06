#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// Text that lays out without delay, whatever a feed sends. A run is a stretch of text without a
// place a line may wrap at. Qt lays out a run wider than its line in time that grows with the
// square of the run's length (a 256 KB title took 12 s), and a list cell or a tab measures the
// whole of its text; so the preview gets break opportunities in long runs, and a row or a caption
// gets its long runs cut. Neither ever splits a character: not a surrogate pair, not a letter
// from the marks that combine with it, not the parts of a joined emoji.
namespace LongRuns {

// The break opportunity put into long runs: a zero-width space, which shows nothing.
inline constexpr QChar kBreak = QChar(0x200B);
// Marks where text was cut.
inline constexpr QChar kEllipsis = QChar(0x2026);

// A run keeps its first kKeptRun characters whole (a long word or address wraps as the layout
// would wrap it); after them it gets a break opportunity every kBreakEvery characters.
inline constexpr qsizetype kKeptRun = 64;
inline constexpr qsizetype kBreakEvery = 16;

// A one-line text (a list cell, a caption) keeps kLineRun characters of each run and
// kLineLength characters in all.
inline constexpr qsizetype kLineRun = 64;
inline constexpr qsizetype kLineLength = 256;

// True where a line may wrap: white space other than the non-breaking kinds, and kBreak.
[[nodiscard]] bool isBreakOpportunity(QChar c);

// True when text may be split between text[at - 1] and text[at] without splitting a character.
[[nodiscard]] bool canSplitAt(QStringView text, qsizetype at);

// The longest start of text, at most length characters, that ends where text can be split.
[[nodiscard]] QStringView safeLeft(QStringView text, qsizetype length);

// Puts break opportunities into the runs of a text given in pieces: a run goes on from one
// piece to the next (the pieces of an HTML text between its tags), so what the layout sees as
// one word gets its breaks however it is marked up.
class Breaker {
public:
    // Appends text to out, with a kBreak where a run is due one.
    void append(QStringView text, QString &out);
    // Appends something that stands for one character of a run and is never split (a character
    // reference such as "&amp;").
    void appendAtom(QStringView atom, QString &out);

private:
    qsizetype m_run = 0;     // characters since the last break opportunity
    bool m_broken = false;   // whether that was one put in
    QChar m_last;            // the last code unit appended
    char32_t m_lastCode = 0; // the last character appended
};

// The text with break opportunities in its long runs.
[[nodiscard]] QString withBreaks(QStringView text);

// The text without any kBreak: what a copy of the preview's text carries.
[[nodiscard]] QString withoutBreaks(QString text);

// The text as one line shows it: each run longer than kLineRun cut there with kEllipsis, and the
// whole cut to kLineLength characters with kEllipsis. Short text comes back as it is.
[[nodiscard]] QString shortLine(QStringView text);

} // namespace LongRuns
