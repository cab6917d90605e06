#pragma once

#include "support/TestContext.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <ostream>

namespace test {

// A feeds database to open the dialogs over: two categories, one of them holding one feed.
inline const QByteArray kTwoCategories
    = "<categories><category name=\"News\"><feed name=\"Daily\" type=\"0\" "
      "id=\"0A1B2C3D-0000-1111-2222-333344445555\">http://old.example/rss</feed></category>"
      "<category name=\"Podcasts\"/></categories>\r\n";

struct StoredFeed {
    QString name;
    QString type;
    QString id;
    QString url;
    bool operator==(const StoredFeed &) const = default;
};

struct StoredCategory {
    QString name;
    QList<StoredFeed> feeds;
    bool operator==(const StoredCategory &) const = default;
};

inline void PrintTo(const StoredFeed &feed, std::ostream *os)
{
    *os << "feed(" << feed.name.toStdString() << ", " << feed.type.toStdString() << ", "
        << feed.id.toStdString() << ", " << feed.url.toStdString() << ")";
}

inline void PrintTo(const StoredCategory &category, std::ostream *os)
{
    *os << "category(\"" << category.name.toStdString() << "\", " << category.feeds.size()
        << " feeds)";
}

// What feeds.fdb holds, read as the program writes it: attributes in the order name, type, id.
inline QList<StoredCategory> storedCategories(const TestContext &t)
{
    const QByteArray bytes = t.readFile(QStringLiteral("feeds.fdb"));
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_buffer(bytes.constData(), size_t(bytes.size()))) << bytes.toStdString();
    QList<StoredCategory> result;
    for (const pugi::xml_node category : doc.child("categories").children("category")) {
        StoredCategory stored{QString::fromUtf8(category.attribute("name").value()), {}};
        for (const pugi::xml_node feed : category.children("feed")) {
            stored.feeds.append({QString::fromUtf8(feed.attribute("name").value()),
                                 QString::fromUtf8(feed.attribute("type").value()),
                                 QString::fromUtf8(feed.attribute("id").value()),
                                 QString::fromUtf8(feed.text().get())});
        }
        result.append(stored);
    }
    return result;
}

// A language file whose only group, "German", holds the given "<key>text</key>" lines.
inline QByteArray germanLanguageFile(const QList<QByteArray> &items)
{
    QByteArray text
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"
          "\t<LOCALIZATION_FILE_INFO>\r\n\t\t<LOCALIZATION_FILE_VERSION>1.0"
          "</LOCALIZATION_FILE_VERSION>\r\n\t</LOCALIZATION_FILE_INFO>\r\n"
          "<LANGUAGE_GROUP xml:lang=\"de\">\r\n\t<LANGUAGE_NAME>German</LANGUAGE_NAME>\r\n"
          "\t<DESCRIPTION>Test group.</DESCRIPTION>\r\n\t<TRANSLATION_ITEMS>\r\n";
    for (const QByteArray &item : items)
        text += "\t\t" + item + "\r\n";
    return text + "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n";
}

} // namespace test
