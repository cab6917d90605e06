#pragma once

#include "platform/XmlDocument.h"

#include <QString>

#include <optional>

namespace platform {
struct Context;
}

namespace Feeds {

// A feed identifier as newFeedIdentifier makes it: groups of 8-4-4-4-12 hexadecimal digits
// joined by "-".
// Only such an identifier is ever used to build a path, so no hand-edited file can make the
// program read, write or delete a file outside Data/.
[[nodiscard]] bool isFeedIdentifier(const QString &id);

// A new feed identifier: 36 characters, groups of 8-4-4-4-12 upper-case hexadecimal digits.
[[nodiscard]] QString newFeedIdentifier();

// The feed's item file, Data/<identifier>.fdb in the app folder; empty text for anything that
// is not a feed identifier.
[[nodiscard]] QString feedDataPath(const platform::Context &ctx, const QString &id);

// feeds.fdb in the app folder.
[[nodiscard]] QString feedsDatabasePath(const platform::Context &ctx);

// The feeds database opened for one operation. open() creates a missing file as an empty
// database, parses it and finds the categories element; a file that is not XML, or has no
// categories element, gets its warning box and is never written.
class FeedsDatabase {
public:
    [[nodiscard]] static std::optional<FeedsDatabase> open(const platform::Context &ctx);

    [[nodiscard]] platform::XmlNode categories() const { return m_categories; }

    // The first category whose name matches, without regard to case; null when none does.
    [[nodiscard]] platform::XmlNode findCategory(const QString &name) const;

    // As findCategory; when there is none, says so in the "Failed to access specified
    // Category!" warning box.
    [[nodiscard]] platform::XmlNode requireCategory(const QString &name) const;

    // Writes the whole document back. False, with the reason in *error, when that fails.
    [[nodiscard]] bool save(QString *error) const;
    // Writes the whole document back; a failure is reported as "<operation> Function".
    bool saveOrReport(const QString &operation) const;

    // The steps of an operation, as its failure reports number them.
    static constexpr int kWorkStep = 5;
    static constexpr int kSaveStep = 6;

    [[nodiscard]] platform::XmlDocument &document() { return m_document; }

private:
    FeedsDatabase(const platform::Context &ctx, QString path);

    const platform::Context *m_ctx;
    QString m_path;
    platform::XmlDocument m_document;
    platform::XmlNode m_categories;
};

} // namespace Feeds
