#include "localization/QtStandardTranslation.h"
#include "localization/LanguageList.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

QString yesButton()
{
    return QCoreApplication::translate("QPlatformTheme", "&Yes");
}

// The standard buttons follow the chosen language, and go back to Qt's English with English.
TEST(QtStandardTranslation, StandardButtonsFollowTheLanguageCode)
{
    QtStandardTranslation translation;
    EXPECT_TRUE(translation.apply(QStringLiteral("de")));
    EXPECT_EQ(yesButton(), u"&Ja");
    EXPECT_TRUE(translation.apply(QStringLiteral("fr")));
    EXPECT_EQ(yesButton(), u"&Oui");
    EXPECT_FALSE(translation.apply(QStringLiteral("en")));
    EXPECT_EQ(yesButton(), u"&Yes");
    EXPECT_FALSE(translation.apply(QString()));
}

TEST(LanguageGroupCode, IsTheXmlLangOfTheNamedGroup)
{
    const QString file
        = QStringLiteral("<XML_DIZ_INFO>\r\n<LANGUAGE_GROUP "
                         "xml:lang=\"en\">\r\n<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n"
                         "</LANGUAGE_GROUP>\r\n<language_group xml:lang = "
                         "\"de\">\r\n<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"
                         "</LANGUAGE_GROUP>\r\n<LANGUAGE_GROUP>\r\n<LANGUAGE_NAME>Klingon</"
                         "LANGUAGE_NAME>\r\n</LANGUAGE_GROUP>\r\n");
    EXPECT_EQ(LanguageList::groupLanguageCode(file, QStringLiteral("deutsch")), u"de");
    EXPECT_EQ(LanguageList::groupLanguageCode(file, QStringLiteral("English")), u"en");
    EXPECT_EQ(LanguageList::groupLanguageCode(file, QStringLiteral("Klingon")), u"");
    EXPECT_EQ(LanguageList::groupLanguageCode(file, QStringLiteral("Français")), u"");
}

} // namespace
