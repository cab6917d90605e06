#include "reading/ItemMerge.h"
#include "reading/FeedParser.h"
#include "reading/ItemFile.h"
#include "reading/ItemIdentifier.h"
#include "reading/ItemStamp.h"
#include "reading/ItemStore.h"

#include "support/FileSizeLimit.h"
#include "support/TestContext.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <string>

// Which items a feed document adds to its item file: by identity, never by date.

namespace {

const QDate kToday(2026, 12, 10);
const QDateTime kNow(kToday, QTime(9, 30, 0));
const QByteArray kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";

struct Item {
    std::string title{};
    std::string pubDate{}; // empty: undated
    std::string link{};    // empty: none
    std::string guid{};    // empty: none
    std::string enclosure{};
    std::string description = "text";
};

std::string rssItem(const Item &item)
{
    std::string xml = "<item><title>" + item.title + "</title>";
    if (!item.link.empty())
        xml += "<link>" + item.link + "</link>";
    if (!item.guid.empty())
        xml += "<guid>" + item.guid + "</guid>";
    if (!item.pubDate.empty())
        xml += "<pubDate>" + item.pubDate + "</pubDate>";
    if (!item.enclosure.empty())
        xml += "<enclosure url=\"" + item.enclosure + "\" length=\"1\" type=\"audio/mpeg\"/>";
    return xml + "<description>" + item.description + "</description></item>";
}

QList<FeedItem> document(const std::initializer_list<Item> items)
{
    std::string rss = "<rss version=\"2.0\"><channel><title>T</title>";
    for (const Item &item : items)
        rss += rssItem(item);
    rss += "</channel></rss>";
    FeedParser::ParseResult result = FeedParser::parseRss(QString::fromStdString(rss));
    EXPECT_EQ(result.status, FeedParser::ParseStatus::Ok);
    return result.items;
}

QString oldIdentifier(const QString &link)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(link.toLatin1(), QCryptographicHash::Md5).toHex());
}

const Item kMonday{"Monday", "Mon, 01 May 2006 08:00:00 GMT", "http://example.org/1"};
const Item kTuesday{"Tuesday", "Tue, 02 May 2006 08:00:00 GMT", "http://example.org/2"};
const Item kWednesday{"Wednesday", "Wed, 03 May 2006 08:00:00 GMT", "http://example.org/3"};
const Item kThursday{"Thursday", "Thu, 04 May 2006 08:00:00 GMT", "http://example.org/4"};

class ItemMergeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data"))); }

    [[nodiscard]] QString path() const { return t.path(QStringLiteral("Data/item.fdb")); }

    MergeResult merge(const QList<FeedItem> &items, const QDate &today = kToday)
    {
        const ItemStore::MergeOutcome outcome
            = ItemStore::merge(path(), items, QDateTime(today, QTime(9, 30)));
        EXPECT_NE(outcome.status, ItemStore::MergeOutcome::Status::Failed)
            << outcome.error.toStdString();
        return outcome.merge;
    }

    [[nodiscard]] QStringList storedTitles() const
    {
        ItemFile file(path());
        EXPECT_EQ(file.load(), ItemFile::State::Loaded);
        QStringList titles;
        for (const platform::XmlNode &item : file.items().children())
            titles << item.child(0).text();
        return titles;
    }

    [[nodiscard]] QStringList storedIds() const
    {
        ItemFile file(path());
        EXPECT_EQ(file.load(), ItemFile::State::Loaded);
        QStringList ids;
        for (const platform::XmlNode &item : file.items().children())
            ids << item.attributeValue(0);
        return ids;
    }

    test::TestContext t;
};

QStringList titles(const QList<FeedItem> &items)
{
    QStringList titles;
    for (const FeedItem &item : items)
        titles << item.title;
    return titles;
}

TEST(ItemIdentifierTest, NamesAnItemByGuidElseLinkAndEnclosureElseEnclosureElseTitleAndDate)
{
    const QList<FeedItem> items = document({
        {"guid is the link", "", "http://example.org/a", "http://example.org/a"},
        {"guid of its own", "", "http://example.org/b", "urn:b"},
        {"link only", "", "http://example.org/c"},
        {"link and enclosure", "", "http://example.org/d", "", "http://example.org/d.mp3"},
        {"enclosure only", "", "", "", "http://example.org/e.mp3"},
        {"title and date", "Mon, 01 May 2006 08:00:00 GMT"},
    });
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0].id, oldIdentifier(QStringLiteral("http://example.org/a")));
    EXPECT_EQ(items[1].id, ItemIdentifier::digest(QStringLiteral("urn:b")));
    EXPECT_EQ(items[2].id, oldIdentifier(QStringLiteral("http://example.org/c")));
    EXPECT_EQ(
        items[3].id,
        ItemIdentifier::digest(QStringLiteral("http://example.org/d\nhttp://example.org/d.mp3")));
    EXPECT_EQ(items[4].id, ItemIdentifier::digest(QStringLiteral("http://example.org/e.mp3")));
    EXPECT_EQ(items[5].id,
              ItemIdentifier::digest(QStringLiteral("title and date\n20060501080000")));
}

TEST(ItemIdentifierTest, LinksOutsideWindows1252HashOverUtf8AndStayApart)
{
    const QString first = QString::fromUtf8(
        "http://example.org/\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8");
    QString second = first;
    second[second.size() - 1] = QChar(0x044F); // one letter differs
    EXPECT_NE(ItemIdentifier::digest(first), ItemIdentifier::digest(second));
    EXPECT_EQ(ItemIdentifier::digest(first),
              QString::fromLatin1(
                  QCryptographicHash::hash(first.toUtf8(), QCryptographicHash::Md5).toHex()));
    // Windows-1252 text keeps the digest of earlier versions, its euro sign included.
    const QString western = QString::fromUtf8("http://example.org/caf\xC3\xA9?p=\xE2\x82\xAC");
    EXPECT_EQ(ItemIdentifier::digest(western),
              QString::fromLatin1(QCryptographicHash::hash("http://example.org/caf\xE9?p=\x80",
                                                           QCryptographicHash::Md5)
                                      .toHex()));
}

TEST(ItemIdentifierTest, ItemsSharingALinkStayApartAndKeepTheirIdentifiersAsOthersComeAndGo)
{
    const Item episode1{"Episode 1", "Mon, 01 May 2006 08:00:00 GMT", "http://show.example/", "",
                        "http://show.example/1.mp3"};
    const Item episode2{"Episode 2", "Tue, 02 May 2006 08:00:00 GMT", "http://show.example/", "",
                        "http://show.example/2.mp3"};
    const Item guided1{"Episode 1", "Mon, 01 May 2006 08:00:00 GMT", "http://show.example/",
                       "ep-1"};
    const Item guided2{"Episode 2", "Tue, 02 May 2006 08:00:00 GMT", "http://show.example/",
                       "ep-2"};
    const Item same1{"Same link 1", "Mon, 01 May 2006 08:00:00 GMT", "http://site.example/"};
    const Item same2{"Same link 2", "Tue, 02 May 2006 08:00:00 GMT", "http://site.example/"};

    for (const auto &[one, two] :
         {std::pair{episode1, episode2}, {guided1, guided2}, {same1, same2}}) {
        SCOPED_TRACE(one.title);
        const QList<FeedItem> both = document({two, one});
        ASSERT_EQ(both.size(), 2);
        EXPECT_NE(both[0].id, both[1].id);
        // A new item beside them changes neither identifier.
        const QList<FeedItem> three = document({kMonday, two, one});
        EXPECT_EQ(three[1].id, both[0].id);
        EXPECT_EQ(three[2].id, both[1].id);
    }
    // Repeats of one item (the same guid, or nothing that tells them apart) are one item.
    const QList<FeedItem> repeats
        = document({guided1, {"Other title", "", "http://x.example/", "ep-1"}, same1, same1});
    EXPECT_EQ(repeats[0].id, repeats[1].id);
    EXPECT_EQ(repeats[2].id, repeats[3].id);
}

TEST_F(ItemMergeTest, EveryItemIsStoredWhateverTheDocumentsOrderOrDates)
{
    const Item sameMinute1{"Same minute 1", "Tue, 02 May 2006 08:00:00 GMT",
                           "http://example.org/m1"};
    const Item sameMinute2{"Same minute 2", "Tue, 02 May 2006 08:00:00 GMT",
                           "http://example.org/m2"};
    const Item otherZone{"Other zone", "Tue, 02 May 2006 09:00:00 +0200", "http://example.org/z"};
    const Item undated1{"Undated 1", "", "http://example.org/u1"};
    const Item undated2{"Undated 2", "", "http://example.org/u2"};
    struct Case {
        const char *what;
        QList<FeedItem> document;
        QStringList stored; // in file order
    };
    const Case cases[] = {
        {"newest first",
         document({kThursday, kWednesday, kTuesday, kMonday}),
         {"Monday", "Tuesday", "Wednesday", "Thursday"}},
        {"oldest first",
         document({kMonday, kTuesday, kWednesday, kThursday}),
         {"Thursday", "Wednesday", "Tuesday", "Monday"}},
        {"editorial order",
         document({kTuesday, kThursday, kMonday, kWednesday}),
         {"Wednesday", "Monday", "Thursday", "Tuesday"}},
        {"one minute, two zones, no dates",
         document({sameMinute1, sameMinute2, otherZone, undated1, undated2}),
         {"Undated 2", "Undated 1", "Other zone", "Same minute 2", "Same minute 1"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path());
        const MergeResult first = merge(c.document);
        EXPECT_EQ(titles(first.added), c.stored);
        EXPECT_EQ(storedTitles(), c.stored);

        const QByteArray bytes = t.readFile(QStringLiteral("Data/item.fdb"));
        const MergeResult second = merge(c.document);
        EXPECT_TRUE(second.added.isEmpty());
        EXPECT_FALSE(second.changed);
        EXPECT_EQ(t.readFile(QStringLiteral("Data/item.fdb")), bytes);
    }
}

TEST_F(ItemMergeTest, ABackdatedItemArrivingLaterIsStored)
{
    merge(document({kThursday, kWednesday}));
    const Item backdated{"Backdated", "Sat, 02 Jan 1999 03:04:05 GMT", "http://example.org/old"};

    const MergeResult result = merge(document({kThursday, kWednesday, backdated}));

    EXPECT_EQ(titles(result.added), QStringList{"Backdated"});
    EXPECT_EQ(storedTitles(), (QStringList{"Wednesday", "Thursday", "Backdated"}));
    ItemFile file(path());
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    EXPECT_EQ(file.latestNode().text(), QStringLiteral("20060504080000"))
        << "latest keeps the newest date";
}

TEST_F(ItemMergeTest, AnItemServedAgainWithChangesIsUpdatedInPlaceAndKeepsItsReadState)
{
    const Item original{
        "Draft title", "Mon, 01 May 2006 08:00:00 GMT", "http://example.org/p", "post-1", "",
        "draft"};
    merge(document({original}));
    ItemFile file(path());
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    file.items().child(0).setAttribute(QStringLiteral("status"), QStringLiteral("1"));
    ASSERT_TRUE(file.save());

    const Item edited{
        "Final title", "Mon, 01 May 2006 08:00:00 GMT", "http://example.org/p", "post-1", "",
        "final"};
    const MergeResult result = merge(document({edited}));

    EXPECT_TRUE(result.added.isEmpty());
    ASSERT_EQ(result.updated.size(), 1);
    EXPECT_EQ(result.updated[0].title, QStringLiteral("Final title"));
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    ASSERT_EQ(file.items().childCount(), 1);
    const platform::XmlNode stored = file.items().child(0);
    EXPECT_EQ(stored.attributeValue(1), QStringLiteral("1"));
    EXPECT_EQ(stored.child(0).text(), QStringLiteral("Final title"));
    EXPECT_EQ(stored.child(3).text(), QStringLiteral("final"));
}

TEST_F(ItemMergeTest, TextsThatDoNotSurviveAsWrittenDoNotCountAsChanges)
{
    const Item odd{"  spaced  \t",
                   "Mon, 01 May 2006 08:00:00 +0530",
                   "http://example.org/o",
                   "",
                   "",
                   "line\r\nbreaks &amp; <![CDATA[<b>markup</b>]]> \xE2\x82\xAC"};
    const Item blank{" \n ", "", "http://example.org/b", "", " ", "\n"};
    merge(document({odd, blank}));
    const QByteArray bytes = t.readFile(QStringLiteral("Data/item.fdb"));

    const MergeResult again = merge(document({odd, blank}));

    EXPECT_FALSE(again.changed);
    EXPECT_TRUE(again.updated.isEmpty());
    EXPECT_EQ(t.readFile(QStringLiteral("Data/item.fdb")), bytes);
}

// A file of an earlier version: items named by the digest of their link, no record of deleted
// items, and latest the stamp of the newest item stored.
QByteArray earlierFile(const QByteArray &items, const QByteArray &latest)
{
    return kDeclaration + "<data><items>" + items + "</items><latest>" + latest
        + "</latest></data>";
}

QByteArray earlierItem(const QString &link, const QByteArray &title, const QByteArray &date,
                       const QByteArray &status = "1")
{
    return "<item id=\"" + oldIdentifier(link).toLatin1() + "\" status=\"" + status + "\"><title>"
        + title + "</title><link>" + link.toUtf8() + "</link><date>" + date
        + "</date><desc/><media/></item>";
}

TEST_F(ItemMergeTest, AnEarlierVersionsFileBringsNothingBackButTakesBackdatedNewItems)
{
    // The user deleted Monday and Tuesday; Thursday's stamp is latest, its day written with one
    // digit as some feeds write it.
    t.writeFile(QStringLiteral("Data/item.fdb"),
                earlierFile(earlierItem(QStringLiteral("http://example.org/3"), "Wednesday",
                                        "2006-May-03T08:00:00")
                                + earlierItem(QStringLiteral("http://example.org/4"), "Thursday",
                                              "2006-May-4T08:00:00"),
                            "2006054080000"));
    const Item friday{"Friday", "Fri, 05 May 2006 08:00:00 GMT", "http://example.org/5"};

    const MergeResult first = merge(document({friday, kThursday, kWednesday, kTuesday, kMonday}));

    EXPECT_EQ(titles(first.added), QStringList{"Friday"});
    EXPECT_EQ(first.deletedByLatest, 2);
    ItemFile file(path());
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    const auto record = file.deletionRecord();
    ASSERT_TRUE(record.has_value());
    EXPECT_TRUE(record->complete);
    ASSERT_EQ(record->items.size(), 2);
    EXPECT_EQ(record->items[0].served, kToday);

    // From now on only the record decides: the deleted stay deleted, a backdated new item is new.
    const Item backdated{"Backdated", "Sat, 02 Jan 1999 03:04:05 GMT", "http://example.org/old"};
    const MergeResult second
        = merge(document({friday, kThursday, kWednesday, kTuesday, kMonday, backdated}));

    EXPECT_EQ(titles(second.added), QStringList{"Backdated"});
    EXPECT_EQ(storedTitles(), (QStringList{"Wednesday", "Thursday", "Friday", "Backdated"}));
}

TEST_F(ItemMergeTest, StoredItemsTakeTheirNewIdentifiersWithoutBeingStoredTwice)
{
    // An earlier version named these podcast episodes by their one shared link; some have been
    // read. The feed names them by guid.
    const QString show = QStringLiteral("http://show.example/");
    t.writeFile(QStringLiteral("Data/item.fdb"),
                earlierFile(earlierItem(show, "Episode 1", "2006-May-01T08:00:00")
                                + earlierItem(show, "Episode 2", "2006-May-02T08:00:00", "0")
                                + earlierItem(QStringLiteral("http://example.org/post"), "Post",
                                              "2006-May-02T09:00:00"),
                            "20060502090000"));
    const QList<FeedItem> served = document({
        {"Episode 3", "Wed, 03 May 2006 08:00:00 GMT", "http://show.example/", "ep-3"},
        {"Episode 2", "Tue, 02 May 2006 08:00:00 GMT", "http://show.example/", "ep-2"},
        {"Episode 1", "Mon, 01 May 2006 08:00:00 GMT", "http://show.example/", "ep-1"},
        {"Post, retitled", "Tue, 02 May 2006 09:00:00 GMT", "http://example.org/post", "tag:post"},
    });

    const MergeResult result = merge(served);

    EXPECT_EQ(titles(result.added), QStringList{"Episode 3"});
    EXPECT_EQ(storedTitles(),
              (QStringList{"Episode 1", "Episode 2", "Post, retitled", "Episode 3"}));
    EXPECT_EQ(storedIds(), (QStringList{served[2].id, served[1].id, served[3].id, served[0].id}));
    ItemFile file(path());
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    EXPECT_EQ(file.items().child(1).attributeValue(1), QStringLiteral("0")) << "read states stay";
    EXPECT_EQ(file.items().child(0).attributeValue(1), QStringLiteral("1"));
    EXPECT_FALSE(merge(served).changed);
}

TEST_F(ItemMergeTest, ItemsNamedByValuesNowReadOtherwiseAreRecognisedNotStoredTwice)
{
    // An earlier version took an enclosure's first attribute (here its length) as its media, and
    // kept control characters, which it wrote as references that strict XML readers refuse.
    const QString show = QStringLiteral("http://show.example/");
    const auto stored = [](const QString &id, const QByteArray &title, const QString &link,
                           const QByteArray &media, const QByteArray &status) {
        return "<item id=\"" + id.toLatin1() + "\" status=\"" + status + "\"><title>" + title
            + "</title><link>" + link.toUtf8()
            + "</link><date>2006-May-01T08:00:00</date><desc/><media>" + media + "</media></item>";
    };
    FeedItem note;
    note.title = QStringLiteral("Note\x01");
    note.day = QStringLiteral("01");
    note.month = QStringLiteral("May");
    note.year = QStringLiteral("2006");
    note.time = QStringLiteral("08:00:00");
    t.writeFile(
        QStringLiteral("Data/item.fdb"),
        earlierFile(stored(ItemIdentifier::digest(show + QStringLiteral("\n1234")), "Episode", show,
                           "1234", "0")
                        + stored(ItemIdentifier::digest(QStringLiteral("Note\x01\n")
                                                        + ItemStamp::chronologicalKey(note)),
                                 "Note&#1;", QString(), "", "1"),
                    "20060501080000"));
    const Item episode{"Episode", "Mon, 01 May 2006 08:00:00 GMT", "http://show.example/", "",
                       "http://show.example/1.mp3"};
    const QList<FeedItem> served
        = document({episode, {"Note&#1;", "Mon, 01 May 2006 08:00:00 GMT"}});

    const MergeResult result = merge(served);

    EXPECT_TRUE(result.added.isEmpty());
    EXPECT_EQ(result.renamed.size(), 2);
    EXPECT_EQ(storedIds(), (QStringList{served[0].id, served[1].id}));
    EXPECT_EQ(storedTitles(), (QStringList{"Episode", "Note"}));
    ItemFile file(path());
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    EXPECT_EQ(ItemFile::storedItem(file.items().child(0)).media,
              QStringLiteral("http://show.example/1.mp3"));
    EXPECT_EQ(file.items().child(0).attributeValue(1), QStringLiteral("0")) << "read states stay";
    EXPECT_FALSE(t.readFile(QStringLiteral("Data/item.fdb")).contains("&#"));
    EXPECT_FALSE(merge(served).changed);
}

TEST_F(ItemMergeTest, AnEpisodeThatLeftTheFeedIsNotTakenForANewOneOfTheSameShow)
{
    const Item episode1{"Episode 1", "Mon, 01 May 2006 08:00:00 GMT", "http://show.example/", "",
                        "http://show.example/1.mp3"};
    const Item episode2{"Episode 2", "Tue, 02 May 2006 08:00:00 GMT", "http://show.example/", "",
                        "http://show.example/2.mp3"};
    const Item episode3{"Episode 3", "Wed, 03 May 2006 08:00:00 GMT", "http://show.example/", "",
                        "http://show.example/3.mp3"};
    merge(document({episode2, episode1}));

    const MergeResult result = merge(document({episode3, episode2}));

    EXPECT_EQ(titles(result.added), QStringList{"Episode 3"});
    EXPECT_EQ(storedTitles(), (QStringList{"Episode 1", "Episode 2", "Episode 3"}));
}

TEST_F(ItemMergeTest, ItemsThatComeToShareALinkKeepTheirStoredCopy)
{
    const Item first{"Daily note 1", "Mon, 01 May 2006 08:00:00 GMT", "http://site.example/"};
    const Item second{"Daily note 2", "Tue, 02 May 2006 08:00:00 GMT", "http://site.example/"};
    merge(document({first}));

    EXPECT_EQ(titles(merge(document({second, first})).added), QStringList{"Daily note 2"});
    // And when the second leaves again, the first is still the stored one.
    EXPECT_TRUE(merge(document({first})).added.isEmpty());
    EXPECT_EQ(storedTitles(), (QStringList{"Daily note 1", "Daily note 2"}));
}

TEST_F(ItemMergeTest, TheRecordOfDeletedItemsForgetsWhatTheFeedStoppedServing)
{
    merge(document({kTuesday, kMonday}));
    ItemFile file(path());
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    const QList<FeedItem> served = document({kTuesday, kMonday});
    ASSERT_TRUE(file.recordDeleted(served[1].id, kToday));
    file.items().removeChild(file.findItem(served[1].id));
    ASSERT_TRUE(file.save());

    // Served again within the week: kept, nothing written.
    const QByteArray bytes = t.readFile(QStringLiteral("Data/item.fdb"));
    EXPECT_FALSE(merge(served, kToday.addDays(3)).changed);
    EXPECT_EQ(t.readFile(QStringLiteral("Data/item.fdb")), bytes);
    // Served a month later: the day is noted, the item stays deleted.
    const MergeResult month = merge(served, kToday.addDays(30));
    EXPECT_TRUE(month.added.isEmpty());
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    ASSERT_EQ(file.deletionRecord()->items.size(), 1);
    EXPECT_EQ(file.deletionRecord()->items[0].served, kToday.addDays(30));
    // Not served for three months: forgotten.
    merge(document({kTuesday}), kToday.addDays(30 + kForgetDeletedAfterDays + 1));
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    EXPECT_TRUE(file.deletionRecord()->items.isEmpty());
}

TEST_F(ItemMergeTest, ADamagedFileIsSetAsideAndTheFeedStartsAFreshOne)
{
    t.writeFile(QStringLiteral("Data/item.fdb"), "<data><items><item id=");

    const ItemStore::MergeOutcome outcome
        = ItemStore::merge(path(), document({kTuesday, kMonday}), kNow);

    EXPECT_EQ(outcome.status, ItemStore::MergeOutcome::Status::Saved);
    EXPECT_EQ(outcome.setAsidePath, path() + QStringLiteral(".damaged-20261210-093000"));
    EXPECT_EQ(t.readFile(QStringLiteral("Data/item.fdb.damaged-20261210-093000")),
              "<data><items><item id=");
    EXPECT_EQ(storedTitles(), (QStringList{"Monday", "Tuesday"}));
}

TEST_F(ItemMergeTest, AFailedSaveStoresNothingAndTheNextMergeTriesAgain)
{
    merge(document({kMonday}));
    const QByteArray bytes = t.readFile(QStringLiteral("Data/item.fdb"));

    ItemStore::MergeOutcome failed;
    {
        // Room for the lock, not for the file: as a full disk.
        const test::FileSizeLimit fullDisk(200);
        failed = ItemStore::merge(path(), document({kTuesday, kMonday}), kNow);
    }

    EXPECT_EQ(failed.status, ItemStore::MergeOutcome::Status::Failed);
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_TRUE(failed.merge.added.isEmpty());
    EXPECT_EQ(t.readFile(QStringLiteral("Data/item.fdb")), bytes);
    EXPECT_EQ(titles(merge(document({kTuesday, kMonday})).added), QStringList{"Tuesday"});
}

} // namespace
