#pragma once

#include <QString>

// The reversible digit encoding the e-mail settings are stored in. Scrambled: reverse, each
// character's Windows-1252 code times 7 as at least four digits, reverse. Blank text gives empty
// text both ways.
namespace Scramble {

[[nodiscard]] QString scramble(const QString &text);
// Text that does not unscramble (a group that is no number) gives empty text and sets *ok to
// false.
[[nodiscard]] QString unscramble(const QString &text, bool *ok = nullptr);

} // namespace Scramble
