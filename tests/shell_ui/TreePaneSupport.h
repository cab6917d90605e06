#pragma once

#include "shell/TreePaneHost.h"

#include "support/TestContext.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace test {

// Three feeds in two categories and an empty third one. Podcasts holds a feed with World's URL
// in other letters, so World cannot move there.
inline const QString kWorldId = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
inline const QString kTechId = QStringLiteral("11111111-2222-3333-4444-555555555555");
inline const QString kTalkId = QStringLiteral("AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE");
inline const QString kMirrorId = QStringLiteral("BBBBBBBB-BBBB-CCCC-DDDD-EEEEEEEEEEEE");
inline const QByteArray kSampleFeeds
    = "<categories>"
      "<category name=\"News\">"
      "<feed name=\"World\" type=\"0\" id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">"
      "http://example.org/world</feed>"
      "<feed name=\"Tech\" type=\"1\" id=\"11111111-2222-3333-4444-555555555555\">"
      "http://example.org/tech</feed>"
      "</category>"
      "<category name=\"Podcasts\">"
      "<feed name=\"Talk\" type=\"2\" id=\"AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE\">"
      "http://example.org/talk</feed>"
      "<feed name=\"Mirror\" type=\"0\" id=\"BBBBBBBB-BBBB-CCCC-DDDD-EEEEEEEEEEEE\">"
      "HTTP://EXAMPLE.ORG/WORLD</feed>"
      "</category>"
      "<category name=\"Blogs\"/>"
      "</categories>";
// Keys loadCategories gives the categories: their positions in the file.
inline const QString kNewsKey = QStringLiteral("cat_0");
inline const QString kPodcastsKey = QStringLiteral("cat_1");
inline const QString kBlogsKey = QStringLiteral("cat_2");

// Records what the pane asks of the main window, one line per call.
class RecordingTreePaneHost final : public TreePaneHost {
public:
    bool isFeedWindowOpen(const QString &url, bool activate) override
    {
        calls.append(QStringLiteral("IsFeedWindowOpen %1 %2").arg(url).arg(activate));
        return openUrl.compare(url, Qt::CaseInsensitive) == 0;
    }
    void openFeedWindow(const QString &caption, const QString &feedId, const QString &url,
                        FeedType feedType, bool checkForNewItems) override
    {
        calls.append(QStringLiteral("OpenFeedWindow %1 %2 %3 %4 %5")
                         .arg(caption, feedId, url)
                         .arg(storedNumber(feedType))
                         .arg(checkForNewItems));
    }
    void nodeClicked(bool isRoot) override
    {
        calls.append(QStringLiteral("nodeClicked %1").arg(isRoot));
    }
    void showFeedsMenu(const QPoint &) override { calls.append(QStringLiteral("showFeedsMenu")); }
    void showCategoryMenu(const QPoint &) override
    {
        calls.append(QStringLiteral("showCategoryMenu"));
    }
    void paneClosed() override { calls.append(QStringLiteral("paneClosed")); }

    QString openUrl; // the URL of the one feed window taken as open
    QStringList calls;
};

} // namespace test
