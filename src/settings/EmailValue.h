#pragma once

#include <QString>

#include <optional>

// The stored form of each value in section email of AppCfg.cfg.
//
// Written in the marked form: "u8:" followed by the value's UTF-8 bytes percent-encoded as in
// RFC 3986 (letters, digits and "-._~" stand as they are, every other byte is "%" and two
// upper-case hex digits). Any Unicode text survives, line breaks and spaces at either end
// included, and the stored text holds nothing an INI reader could take apart (no space, quote,
// ";", "=" or line break). ":" is always encoded inside the value, so the marker cannot be
// mistaken for part of one. An empty value is stored empty.
//
// Read in that form, or in the earlier scrambled form (digits only, Scramble), which knows only
// Windows-1252 and which the next save replaces. Any other text is no value.
namespace EmailValue {

[[nodiscard]] QString stored(const QString &value);
// The value, or nothing when the text is in neither form (a hand-edited file).
[[nodiscard]] std::optional<QString> read(const QString &stored);

} // namespace EmailValue
