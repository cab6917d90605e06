#include "subscriptions/FeedsDatabase.h"

#include "common/ErrorReport.h"
#include "common/Files.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"

#include <QRegularExpression>
#include <QUuid>

namespace Feeds {

bool isFeedIdentifier(const QString &id)
{
    static const QRegularExpression form(QStringLiteral(
        "^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    return form.match(id).hasMatch();
}

QString newFeedIdentifier()
{
    const QString digits = QString::fromLatin1(QUuid::createUuid().toRfc4122().toHex().toUpper());
    return digits.mid(0, 8) + u'-' + digits.mid(8, 4) + u'-' + digits.mid(12, 4) + u'-'
        + digits.mid(16, 4) + u'-' + digits.mid(20, 12);
}

QString feedDataPath(const platform::Context &ctx, const QString &id)
{
    if (!isFeedIdentifier(id))
        return {};
    return Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("Data/") + id
        + QStringLiteral(".fdb");
}

QString feedsDatabasePath(const platform::Context &ctx)
{
    return Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("feeds.fdb");
}

FeedsDatabase::FeedsDatabase(const platform::Context &ctx, QString path)
    : m_ctx(&ctx)
    , m_path(std::move(path))
{
}

std::optional<FeedsDatabase> FeedsDatabase::open(const platform::Context &ctx)
{
    FeedsDatabase database(ctx, feedsDatabasePath(ctx));
    if (!Files::fileExists(ctx, database.m_path))
        Files::writeText(ctx, database.m_path, QStringLiteral("<categories/>"));
    if (!database.m_document.load(database.m_path)) {
        ctx.messages.warning(QStringLiteral("Invalid Database File Format!"),
                             QStringLiteral("Application failed to load Feeds Database. Please "
                                            "reinstall application to resolve this issue."));
        return std::nullopt;
    }
    database.m_categories = database.m_document.selectSingleNode(QStringLiteral(".//categories"));
    if (!database.m_categories) {
        ctx.messages.warning(QStringLiteral("Invalid Record Structure!"),
                             QStringLiteral("Appliaction failed to access Records in Database. "
                                            "Please reinstal application to resolve this issue."));
        return std::nullopt;
    }
    return database;
}

platform::XmlNode FeedsDatabase::findCategory(const QString &name) const
{
    const QString wanted = name.toLower();
    for (const platform::XmlNode &category : m_categories.children()) {
        if (category.isElement() && category.attributeValue(0).toLower() == wanted)
            return category;
    }
    return {};
}

platform::XmlNode FeedsDatabase::requireCategory(const QString &name) const
{
    const platform::XmlNode category = findCategory(name);
    if (!category)
        m_ctx->messages.warning(QStringLiteral("Failed to access specified Category!"),
                                QStringLiteral("Application failed to locate Feed category \"")
                                    + name + QStringLiteral("\" in Database!"));
    return category;
}

bool FeedsDatabase::save(QString *error) const
{
    return m_document.save(m_path, error);
}

bool FeedsDatabase::saveOrReport(const QString &operation) const
{
    QString error;
    if (save(&error))
        return true;
    ErrorReport::show(*m_ctx, operation, kSaveStep, error);
    return false;
}

} // namespace Feeds
