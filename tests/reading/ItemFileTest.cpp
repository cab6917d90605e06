#include "reading/ItemFile.h"
#include "reading/FeedRefresh.h"
#include "reading/ItemIdentifier.h"

#include "support/MemoryReportList.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace {

using platform::MessageButtons;
using platform::MessageIcon;

const QString kFeedId = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
const QByteArray kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";

class NoCaption final : public CaptionSink {
public:
    void setCaption(const QString &) override { }
    void repaintTabs() override { }
};

// An item element as the program writes it; the id is the digest of the link.
QByteArray storedItem(const QByteArray &link, const QByteArray &status, const QByteArray &title,
                      const QByteArray &date, const QByteArray &desc = "",
                      const QByteArray &media = "")
{
    const auto child = [](const char *name, const QByteArray &text) {
        return text.isEmpty() ? "<" + QByteArray(name) + "/>"
                              : "<" + QByteArray(name) + ">" + text + "</" + name + ">";
    };
    return "<item id=\"" + ItemIdentifier::digest(QString::fromUtf8(link)).toLatin1()
        + "\" status=\"" + status + "\">" + child("title", title) + child("link", link)
        + child("date", date) + child("desc", desc) + child("media", media) + "</item>";
}

platform::ListRow rowTitled(const QString &text)
{
    platform::ListRow row;
    row.text = text;
    return row;
}

QByteArray savedFile(const QByteArray &items, const QByteArray &latest)
{
    return kDeclaration + "<data><items>" + items + "</items><latest>" + latest
        + "</latest></data>";
}

class ItemFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        reader.setFeedID(kFeedId);
    }

    [[nodiscard]] static QString fileName()
    {
        return QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb");
    }
    void writeItemFile(const QByteArray &bytes) { t.writeFile(fileName(), bytes); }
    [[nodiscard]] QByteArray itemFile() const { return t.readFile(fileName()); }
    [[nodiscard]] bool itemFileExists() const { return QFile::exists(t.path(fileName())); }

    test::TestContext t;
    test::MemoryReportList list;
    NoCaption caption;
    FeedReader reader{t.ctx, list, caption, QLocale::c()};
};

TEST(SplitItemDate, TakesStoredDatesApart)
{
    struct Case {
        QString text;
        ItemDate expected; // Day, Month, Year, Time
    };
    const Case cases[] = {
        {QStringLiteral("2006-May-01T12:34:56"), {"01", "May", "2006", "12:34:56"}},
        {QStringLiteral("2006-Jun-5T08:00:00"), {"5", "Jun", "2006", "08:00:00"}},
        {QStringLiteral("--T"), {"", "", "", ""}},
        {QStringLiteral(""), {"", "", "", ""}},
        {QStringLiteral("2006-May-01"), {"01", "May", "2006", ""}},
        {QStringLiteral("2006-May-01T"), {"01", "May", "2006", ""}},
        // A month name with a capital T of its own does not end the date.
        {QStringLiteral("2006-Tem-01T12:00:00"), {"01", "Tem", "2006", "12:00:00"}},
        {QStringLiteral("2006-Tem-01"), {"01", "Tem", "2006", ""}},
        {QStringLiteral("2006T10:00"), {"", "", "2006", "10:00"}},
        {QStringLiteral("2006-May-01-x-yT1T2"), {"01", "May", "2006", "1T2"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const ItemDate date = splitItemDate(c.text);
        EXPECT_EQ(date.year, c.expected.year);
        EXPECT_EQ(date.month, c.expected.month);
        EXPECT_EQ(date.day, c.expected.day);
        EXPECT_EQ(date.time, c.expected.time);
    }
}

TEST_F(ItemFileTest, LoadTellsMissingUnparsedAndItemlessFilesApart)
{
    struct Case {
        const char *what;
        std::optional<QByteArray> content; // nothing: no file
        ItemFile::State state;
    };
    const Case cases[] = {
        {"no file", std::nullopt, ItemFile::State::Missing},
        {"not XML", "<data><items>", ItemFile::State::NotXml},
        {"empty file", "", ItemFile::State::NotXml},
        {"data without items", "<data><latest>1</latest></data>", ItemFile::State::NoItems},
        {"items outside data", "<other><items/></other>", ItemFile::State::NoItems},
        {"usual file", "<data><items/></data>", ItemFile::State::Loaded},
        {"data deeper down", "<root><data><items/></data></root>", ItemFile::State::Loaded},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(t.path(fileName()));
        if (c.content)
            writeItemFile(*c.content);
        ItemFile file(t.path(fileName()));
        EXPECT_EQ(file.load(), c.state);
        EXPECT_EQ(file.exists(), c.content.has_value());
        EXPECT_EQ(bool(file.items()), c.state == ItemFile::State::Loaded);
    }
}

TEST_F(ItemFileTest, WithoutPathNothingIsReadOrWritten)
{
    ItemFile file{QString()};
    EXPECT_EQ(file.loadOrStart(ItemFile::kNewItemsDocument), ItemFile::State::Missing);
    FeedItem item;
    item.title = QStringLiteral("Lost");
    EXPECT_FALSE(file.appendItem(item));
    EXPECT_FALSE(file.setLatest(QStringLiteral("1")));
    EXPECT_FALSE(file.save());
    EXPECT_TRUE(QDir(t.path(QStringLiteral("Data"))).isEmpty());
}

TEST_F(ItemFileTest, FindItemComparesTheFirstAttributeOfItemsOnly)
{
    writeItemFile("<data><items>"
                  "<other id=\"abc\"/>"
                  "<item status=\"1\" id=\"abc\"><title>id second</title></item>"
                  "<item key=\"abc\" status=\"0\"><title>first attribute</title></item>"
                  "<item id=\"abc\" status=\"0\"><title>later</title></item>"
                  "</items></data>");
    ItemFile file(t.path(fileName()));
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);

    EXPECT_EQ(file.findItem(QStringLiteral("abc")).child(0).text(),
              QStringLiteral("first attribute"));
    EXPECT_FALSE(file.findItem(QStringLiteral("1")).child(0).text().isEmpty());
    EXPECT_FALSE(file.findItem(QStringLiteral("ABC")));
}

TEST_F(ItemFileTest, AppendItemAndSetLatestWriteTheDocumentedShape)
{
    FeedItem dated;
    dated.title = QStringLiteral("First & foremost");
    dated.link = QStringLiteral("http://example.org/1");
    dated.day = QStringLiteral("01");
    dated.month = QStringLiteral("May");
    dated.year = QStringLiteral("2006");
    dated.time = QStringLiteral("12:34:56");
    dated.utc = QStringLiteral("20060501123456");
    dated.description = QStringLiteral("<p>one</p>");
    dated.media = QStringLiteral("http://example.org/1.mp3");
    dated.id = QStringLiteral("cf7ad3b106cd1e357a46e976a1fb7987");
    FeedItem zoned = dated;
    zoned.utc = QStringLiteral("20060501103456"); // written at +02:00
    FeedItem undated;
    undated.id = QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");

    ItemFile file(t.path(fileName()));
    ASSERT_EQ(file.loadOrStart(ItemFile::kNewItemsDocument), ItemFile::State::Loaded);
    ASSERT_TRUE(file.appendItem(dated));
    ASSERT_TRUE(file.appendItem(zoned));
    ASSERT_TRUE(file.appendItem(undated));
    ASSERT_TRUE(file.save());
    const QByteArray first
        = "<item id=\"cf7ad3b106cd1e357a46e976a1fb7987\" status=\"0\"><title>First &amp; "
          "foremost</title>"
          "<link>http://example.org/1</link><date>2006-May-01T12:34:56</date>"
          "<desc>&lt;p&gt;one&lt;/p&gt;</desc><media>http://example.org/1.mp3</media></item>";
    // The utc attribute only where the date text does not give the time in UTC.
    const QByteArray items = "<items>" + first
        + QByteArray(first).replace("status=\"0\">", "status=\"0\" utc=\"20060501103456\">")
        + "<item id=\"d41d8cd98f00b204e9800998ecf8427e\" "
          "status=\"0\"><title/><link/><date>--T</date>"
          "<desc/><media/></item></items>";
    EXPECT_EQ(itemFile(), kDeclaration + "<data>" + items + "</data>");

    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    ASSERT_TRUE(file.setDeletionRecord({true, {{QStringLiteral("abc"), QDate(2026, 12, 10)}}}));
    ASSERT_TRUE(file.setLatest(QStringLiteral("20060501123456")));
    ASSERT_TRUE(file.save());
    EXPECT_EQ(itemFile(),
              kDeclaration + "<data>" + items
                  + "<latest>20060501123456</latest>"
                    "<deleted><id served=\"2026-12-10\">abc</id></deleted></data>");
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(ItemFileTest, WritersLeaveDocumentsTheyCannotUseAsTheyAre)
{
    struct Case {
        const char *what;
        QByteArray content;
        bool latest; // else appendItem
    };
    const Case cases[] = {
        {"append to a file without items", "<data><latest>1</latest></data>", false},
        {"latest into a file without data", "<other><items/></other>", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeItemFile(c.content);
        ItemFile file(t.path(fileName()));
        ASSERT_NE(file.load(), ItemFile::State::NotXml);
        EXPECT_FALSE(c.latest ? file.setLatest(QStringLiteral("20060501123456"))
                              : file.appendItem(FeedItem{}));
        EXPECT_EQ(itemFile(), c.content);
    }
}

TEST_F(ItemFileTest, ProcessItemActsOnTheFirstItemWithTheIdentifier)
{
    const QByteArray first = storedItem("http://example.org/1", "0", "One", "2006-May-01T12:34:56",
                                        "first text", "http://example.org/1.mp3");
    const QByteArray second = storedItem("http://example.org/2", "1", "Two", "2006-May-02T08:00:00",
                                         "&lt;b&gt;two&lt;/b&gt;");
    const QByteArray duplicate
        = storedItem("http://example.org/1", "0", "One again", "2006-May-03T09:00:00");
    const QByteArray original = savedFile(first + second + duplicate, "20060503090000");

    struct Case {
        const char *link;
        ItemAction action;
        bool markRead;
        bool found;
        QByteArray after; // the file afterwards
        QString currentTitle;
    };
    const auto with = [](QByteArray item, const char *status) {
        return item.replace(QByteArray("status=\"") + (status[0] == '1' ? "0" : "1") + "\"",
                            QByteArray("status=\"") + status + "\"");
    };
    const Case cases[] = {
        {"http://example.org/1", ItemAction::Find, false, true, original, {}},
        {"http://example.org/1",
         ItemAction::MarkRead,
         false,
         true,
         savedFile(with(first, "1") + second + duplicate, "20060503090000"),
         {}},
        {"http://example.org/2",
         ItemAction::MarkUnread,
         false,
         true,
         savedFile(first + with(second, "0") + duplicate, "20060503090000"),
         {}},
        {"http://example.org/2", ItemAction::Load, false, true, original, QStringLiteral("Two")},
        {"http://example.org/1", ItemAction::Load, true, true,
         savedFile(with(first, "1") + second + duplicate, "20060503090000"), QStringLiteral("One")},
        // A file without a record of deleted items starts one that is not complete yet.
        {"http://example.org/1",
         ItemAction::Delete,
         true,
         true,
         savedFile(second + duplicate, "20060503090000")
             .replace(
                 "</data>",
                 "<deleted legacy=\"1\"><id served=\"2026-03-14\">"
                     + ItemIdentifier::digest(QStringLiteral("http://example.org/1")).toLatin1()
                     + "</id></deleted></data>"),
         {}},
        {"http://example.org/9", ItemAction::MarkRead, false, false, original, {}},
        {"http://example.org/9", ItemAction::Load, true, false, original, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.link);
        writeItemFile(original);
        const FeedItem before = reader.currentItem();

        EXPECT_EQ(reader.processItem(ItemIdentifier::digest(QString::fromLatin1(c.link)), c.action,
                                     c.markRead),
                  c.found);

        EXPECT_EQ(itemFile(), c.after);
        EXPECT_EQ(reader.latestStamp(), QStringLiteral("20060503090000"));
        EXPECT_EQ(reader.currentItem().title,
                  c.currentTitle.isNull() ? before.title : c.currentTitle);
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(ItemFileTest, GetInfoCopiesEveryFieldOfTheStoredItem)
{
    writeItemFile(savedFile(
        "<item id=\"" + ItemIdentifier::digest(QStringLiteral("http://example.org/2")).toLatin1()
            + "\" status=\"0\"><extra>ignored</extra><media>http://example.org/2.ogg</media>"
              "<date>2006-Jun-5T08:00:00</date><desc>&lt;b&gt;two&lt;/b&gt;</desc>"
              "<link>http://example.org/2</link><title>Two</title></item>",
        "1"));

    ASSERT_TRUE(reader.processItem(ItemIdentifier::digest(QStringLiteral("http://example.org/2")),
                                   ItemAction::Load, false));

    const FeedItem &item = reader.currentItem();
    EXPECT_EQ(item.id, ItemIdentifier::digest(QStringLiteral("http://example.org/2")));
    EXPECT_EQ(item.title, QStringLiteral("Two"));
    EXPECT_EQ(item.link, QStringLiteral("http://example.org/2"));
    EXPECT_EQ(item.description, QStringLiteral("<b>two</b>"));
    EXPECT_EQ(item.media, QStringLiteral("http://example.org/2.ogg"));
    EXPECT_EQ(item.year, QStringLiteral("2006"));
    EXPECT_EQ(item.month, QStringLiteral("Jun"));
    EXPECT_EQ(item.day, QStringLiteral("5"));
    EXPECT_EQ(item.time, QStringLiteral("08:00:00"));
}

TEST_F(ItemFileTest, UnusableFilesAreReportedByTheLookupAndTheList)
{
    const QString invalid = QStringLiteral("Invalid File format!");
    const QString missingTitle = QStringLiteral("Feed Data file is missing!");
    const QString missingText = QStringLiteral(
        "Application failed to access Feed Data file. Item details cannot be fetched.");
    const QString notLoaded = QStringLiteral("Failed to load the Feed Data file details.");
    const QString noRecords
        = QStringLiteral("Application failed to access Records in Feed Data file!");

    struct Case {
        const char *what;
        QString feedId;
        QString fileName; // where the content is written
        std::optional<QByteArray> content;
        QString lookupTitle;
        QString lookupText;
        QString listTitle; // empty: the list shows no box
        QString listText;
        QString latest; // latestStamp afterwards
    };
    const Case cases[] = {
        {"no file", kFeedId, fileName(), std::nullopt, missingTitle, missingText, {}, {}, {}},
        // Data/../escape.fdb would be read if the identifier made a path.
        {"identifier not of the feed form",
         QStringLiteral("../escape"),
         QStringLiteral("escape.fdb"),
         savedFile(storedItem("http://example.org/1", "0", "One", "--T"), "7"),
         missingTitle,
         missingText,
         {},
         {},
         {}},
        {"not XML",
         kFeedId,
         fileName(),
         "<data><items>",
         invalid,
         notLoaded,
         invalid,
         notLoaded,
         {}},
        {"no items", kFeedId, fileName(), "<data><latest>5</latest></data>", invalid, noRecords,
         invalid, noRecords, QStringLiteral("5")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(t.path(c.fileName));
        if (c.content)
            t.writeFile(c.fileName, *c.content);
        t.messages.shown.clear();
        FeedReader fresh(t.ctx, list, caption, QLocale::c());
        fresh.setFeedID(c.feedId);

        EXPECT_FALSE(
            fresh.processItem(ItemIdentifier::digest(QStringLiteral("http://example.org/1")),
                              ItemAction::MarkRead, true));
        ASSERT_EQ(t.messages.shown.size(), 1);
        EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
        EXPECT_EQ(t.messages.shown[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(t.messages.shown[0].title, c.lookupTitle);
        EXPECT_EQ(t.messages.shown[0].text, c.lookupText);
        EXPECT_EQ(fresh.latestStamp(), c.latest);

        t.messages.shown.clear();
        list.add(rowTitled(QStringLiteral("stale row")));
        fresh.loadItemList();
        EXPECT_EQ(list.count(), 0);
        EXPECT_FALSE(fresh.stillExecuting());
        if (c.listTitle.isEmpty()) {
            EXPECT_TRUE(t.messages.shown.isEmpty());
        } else {
            ASSERT_EQ(t.messages.shown.size(), 1);
            EXPECT_EQ(t.messages.shown[0].title, c.listTitle);
            EXPECT_EQ(t.messages.shown[0].text, c.listText);
        }
        EXPECT_EQ(fresh.latestStamp(), c.latest);
        if (c.content) {
            EXPECT_EQ(t.readFile(c.fileName), *c.content);
        }
    }
}

TEST_F(ItemFileTest, LoadItemListShowsEachStoredItem)
{
    writeItemFile(savedFile(
        storedItem("http://example.org/1", "0", "1 dated unread", "2006-May-01T12:34:56")
            + storedItem("http://example.org/2", "1", "2 one-digit day, read",
                         "2006-Jun-5T08:00:00")
            + "<note>not an item</note>"
            + storedItem("http://example.org/3", "abc", "3 undated", "--T")
            + storedItem("http://example.org/4", " 2 ", "4 no time", "2006-May-01T")
            + storedItem("http://example.org/5", "0.0", "5 no time of day", "2006-May-01T25:00:00")
            + storedItem("http://example.org/6", "-1", "6 no month name", "2006-Foo-01T10:00:00"),
        "20060605080000"));
    list.add(rowTitled(QStringLiteral("0 stale row")));

    reader.loadItemList();

    struct Row {
        QString text, subItem1, subItem2, tag, icon;
        bool bold;
    };
    const Row expected[] = {
        {"1 dated unread", "01 May 2006 ; 12:34:56", "20060501123456", "http://example.org/1",
         "unread", true},
        {"2 one-digit day, read", "5 Jun 2006 ; 08:00:00", "20060605080000", "http://example.org/2",
         "read", false},
        {"3 undated", "", "", "http://example.org/3", "unread", true},
        {"4 no time", "", "", "http://example.org/4", "read", false},
        {"5 no time of day", "", "", "http://example.org/5", "unread", true},
        {"6 no month name", "01 Foo 2006 ; 10:00:00", "0", "http://example.org/6", "read", false},
    };
    ASSERT_EQ(list.count(), int(std::size(expected)));
    for (int i = 0; i < list.count(); ++i) {
        SCOPED_TRACE(expected[i].text.toStdString());
        const platform::ListRow row = list.row(i);
        EXPECT_EQ(row.text, expected[i].text);
        EXPECT_EQ(row.subItem1, expected[i].subItem1);
        EXPECT_EQ(row.subItem2, expected[i].subItem2);
        EXPECT_EQ(row.tag, expected[i].tag);
        EXPECT_EQ(row.key, ItemIdentifier::digest(expected[i].tag));
        EXPECT_EQ(row.icon, expected[i].icon);
        EXPECT_EQ(row.bold, expected[i].bold);
    }
    EXPECT_EQ(reader.latestStamp(), QStringLiteral("20060605080000"));
    EXPECT_EQ(list.scrolledTo(), 0);
    EXPECT_TRUE(list.isSorted());
    EXPECT_FALSE(reader.stillExecuting());
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

} // namespace
