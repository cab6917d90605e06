#include "shell/CategoryPane.h"

#include "platform/Icons.h"
#include "shell/CategoryTreeWidget.h"
#include "subscriptions/Categories.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace {

// The tree's image list: 1 the root, 2 a category, 3 to 5 the feed types RSS, Atom, podcast.
QList<QIcon> treeImages()
{
    return {platform::namedIcon(QStringLiteral("tree-root")),
            platform::namedIcon(QStringLiteral("category")),
            platform::namedIcon(QStringLiteral("feed-rss")),
            platform::namedIcon(QStringLiteral("feed-atom")),
            platform::namedIcon(QStringLiteral("feed-podcast"))};
}

} // namespace

struct CategoryPane::Private {
    const platform::Context &ctx;
    CategoryTreeWidget *tree = nullptr;
};

CategoryPane::CategoryPane(const platform::Context &ctx, TreePaneHost &host, QWidget *parent)
    : QWidget(parent)
    , d(std::make_unique<Private>(Private{ctx}))
{
    setObjectName(QStringLiteral("frmOptionBar"));
    setWindowTitle(QStringLiteral("Options"));

    auto *group = new QGroupBox(QStringLiteral("Categories"), this);
    group->setObjectName(QStringLiteral("ucOptionBar"));
    d->tree = new CategoryTreeWidget(ctx, host, group);
    d->tree->view().setImages(treeImages());
    d->tree->setProperty("untranslated", true); // its header is hidden

    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(d->tree);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);

    reload();
    // A reader opens on its feeds, not on a list of closed folders.
    for (const QString &category : tree().childKeys(QStringLiteral("main")))
        tree().setExpanded(category, true);
}

CategoryPane::~CategoryPane() = default;

platform::QtTreeView &CategoryPane::tree() const
{
    return d->tree->view();
}

QTreeWidget &CategoryPane::treeWidget() const
{
    return *d->tree;
}

void CategoryPane::reload()
{
    Categories::loadCategories(d->ctx, d->tree->view());
}
