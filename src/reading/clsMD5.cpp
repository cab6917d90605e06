#include "reading/clsMD5.h"

#include "platform/TextCodec.h"

#include <QCryptographicHash>

QString clsMD5::GetMD5(const QString &text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(platform::ToWindows1252(text), QCryptographicHash::Md5).toHex());
}
