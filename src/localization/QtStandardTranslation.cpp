#include "localization/QtStandardTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

QtStandardTranslation::~QtStandardTranslation()
{
    remove();
}

void QtStandardTranslation::remove()
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
    m_installed = false;
}

bool QtStandardTranslation::apply(const QString &languageCode)
{
    remove();
    const QString code = languageCode.trimmed();
    if (code.isEmpty() || code.startsWith(u"en", Qt::CaseInsensitive))
        return false;
    const QLocale locale(code);
    if (!m_translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    m_installed = QCoreApplication::installTranslator(&m_translator);
    return m_installed;
}
