#pragma once

#include <QString>

// The item identifier: the MD5 digest of a text as 32 lower-case hexadecimal digits. The text is
// digested in the Windows-1252 code page, one byte per UTF-16 unit ("?" for what the code page
// lacks), which reproduces the identifiers stored by earlier versions of the program.
class clsMD5 {
public:
    [[nodiscard]] static QString GetMD5(const QString &text);
};
