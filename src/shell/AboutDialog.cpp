#include "shell/AboutDialog.h"

#include "platform/Icons.h"
#include "shell/ProgramInfo.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The labels show the version record, which no language file translates.
QLabel *recordLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setProperty("untranslated", true);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
{
    const ProgramIdentity identity = ProgramInfo::identity();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + identity.productName);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *mark = new QLabel(this);
    mark->setPixmap(platform::namedIcon(QStringLiteral("marlowin")).pixmap(96, 96));
    mark->setAlignment(Qt::AlignCenter);
    auto *product = recordLabel("lblProduct", identity.productName, this);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    product->setFont(big);
    auto *version
        = recordLabel("lblVersion", QStringLiteral("Version ") + ProgramInfo::shortVersion(), this);
    auto *maker = recordLabel("lblCompany", QStringLiteral("by ") + identity.companyName, this);
    auto *website
        = recordLabel("lblWebsite",
                      QStringLiteral("<a href=\"%1\">%2</a>")
                          .arg(ProgramInfo::websiteUrl(identity.website), identity.website),
                      this);
    website->setOpenExternalLinks(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 24, 36, 16);
    layout->addWidget(mark);
    layout->addWidget(product);
    layout->addWidget(version);
    layout->addWidget(maker);
    layout->addWidget(website);
    layout->addSpacing(12);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}
