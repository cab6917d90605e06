#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Text of a fetched or stored document. The charset is taken from, in this order: a byte-order
// mark, the transport's charset (an HTTP Content-Type), the XML declaration's encoding, UTF-8
// when the bytes are valid UTF-8, and Windows-1252 otherwise. ISO-8859-1 and US-ASCII are read
// as Windows-1252, as browsers do, since documents that name them routinely use its extra
// characters. A charset that the codec library does not know is passed over.
[[nodiscard]] QString decodeDocument(const QByteArray &bytes,
                                     const QByteArray &transportCharset = {});

// The same text as UTF-8 bytes. A document that is UTF-8 already (no byte-order mark, no other
// charset named, valid UTF-8) comes back as the very same bytes, without a decoded copy: a large
// feed then costs its own size once, not three times.
[[nodiscard]] QByteArray decodeDocumentToUtf8(const QByteArray &bytes,
                                              const QByteArray &transportCharset = {});

// Text of a plain file: UTF-8 (with or without a byte-order mark) when valid, else Windows-1252,
// the code page that files written by earlier versions of the program use.
[[nodiscard]] QString decodeTextFile(const QByteArray &bytes);

// The "charset" parameter of a Content-Type header value, or empty.
[[nodiscard]] QByteArray charsetOfContentType(const QByteArray &contentType);

// The encoding named by an XML declaration at the start of the bytes, or empty.
[[nodiscard]] QByteArray encodingOfXmlDeclaration(const QByteArray &bytes);

// The text in the Windows-1252 code page; each UTF-16 unit that it lacks becomes "?".
[[nodiscard]] QByteArray toWindows1252(const QString &text);
[[nodiscard]] QString fromWindows1252(const QByteArray &bytes);

} // namespace platform
