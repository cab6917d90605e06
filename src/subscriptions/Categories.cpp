#include "subscriptions/Categories.h"

#include "common/ErrorReport.h"
#include "platform/ComboBoxView.h"
#include "platform/TreeView.h"
#include "subscriptions/FeedsDatabase.h"

using platform::XmlNode;

namespace Categories {
namespace {

// Adds one feed node under its category node; the reason it cannot, or empty text.
QString addFeedNode(platform::TreeView &tree, const QString &categoryKey, const XmlNode &feed)
{
    if (feed.attributeCount() < 3)
        return QStringLiteral("The feed \"%1\" lacks its type or identifier.")
            .arg(feed.attributeValue(0));
    bool isNumber = false;
    const int type = feed.attributeValue(1).trimmed().toShort(&isNumber);
    if (!isNumber)
        return QStringLiteral("Type mismatch: the type \"%1\" of the feed \"%2\" is not a number.")
            .arg(feed.attributeValue(1), feed.attributeValue(0));
    const QString key = feed.attributeValue(2);
    if (key.isEmpty() || !tree.add(categoryKey, key, feed.attributeValue(0), type + 3, type + 3))
        return QStringLiteral("Key is not unique in collection: the feed \"%1\" has the identifier "
                              "\"%2\", which is empty or another node's.")
            .arg(feed.attributeValue(0), key);
    tree.setTag(key, feed.text());
    return {};
}

} // namespace

bool addCategory(const platform::Context &ctx, const QString &name)
{
    auto database = Feeds::FeedsDatabase::open(ctx);
    if (!database)
        return false;
    XmlNode category = database->document().createElement(QStringLiteral("category"));
    category.setAttribute(QStringLiteral("name"), name);
    database->categories().appendChild(category);
    return database->saveOrReport(QStringLiteral("AddCategory"));
}

bool categoryExists(const platform::Context &ctx, const QString &name)
{
    const auto database = Feeds::FeedsDatabase::open(ctx);
    return database && database->findCategory(name);
}

bool editCategory(const platform::Context &ctx, const QString &oldName, const QString &newName)
{
    auto database = Feeds::FeedsDatabase::open(ctx);
    if (!database)
        return false;
    XmlNode category = database->findCategory(oldName);
    if (!category)
        return false;
    category.setAttribute(QStringLiteral("name"), newName);
    return database->saveOrReport(QStringLiteral("EditCategory"));
}

bool deleteCategory(const platform::Context &ctx, const QString &name)
{
    auto database = Feeds::FeedsDatabase::open(ctx);
    if (!database)
        return false;
    const XmlNode category = database->findCategory(name);
    if (!category)
        return false;
    database->categories().removeChild(category);
    return database->saveOrReport(QStringLiteral("DeleteCategory"));
}

void loadCategories(const platform::Context &ctx, platform::TreeView &tree)
{
    const QString root = QStringLiteral("main");
    tree.clear();
    tree.add(QString(), root, QStringLiteral("Subscribed Feeds"), 1, 1);
    tree.setSorted(root, true);
    tree.setExpanded(root, true);

    const auto database = Feeds::FeedsDatabase::open(ctx);
    if (!database)
        return;
    int position = 0;
    for (const XmlNode &category : database->categories().children()) {
        const QString categoryKey = QStringLiteral("cat_") + QString::number(position++);
        tree.add(root, categoryKey, category.attributeValue(0), 2, 2);
        for (const XmlNode &feed : category.children()) {
            if (feed.name() != QLatin1String("feed"))
                continue;
            const QString failure = addFeedNode(tree, categoryKey, feed);
            if (!failure.isEmpty()) {
                ErrorReport::show(ctx, QStringLiteral("LoadCategories"),
                                  Feeds::FeedsDatabase::kWorkStep, failure);
                return;
            }
        }
    }
}

void loadCategories(const platform::Context &ctx, platform::ComboBoxView &list)
{
    list.clear();
    const auto database = Feeds::FeedsDatabase::open(ctx);
    if (!database)
        return;
    for (const XmlNode &category : database->categories().children())
        list.addItem(category.attributeValue(0));
}

} // namespace Categories
