#include "reading/PreviewBrowser.h"

#include "reading/PreviewPage.h"

#include <QFile>
#include <QKeyEvent>

PreviewBrowser::PreviewBrowser(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
}

void PreviewBrowser::navigate(const QString &filePath)
{
    QFile file(filePath);
    display(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
}

void PreviewBrowser::navigateBlank()
{
    display(QString());
}

void PreviewBrowser::display(const QString &page)
{
    m_page = page;
    setHtml(page);
    Q_EMIT navigationComplete();
}

// A null result would let QTextDocument read a local file itself, so a refused resource comes
// back as empty bytes.
QVariant PreviewBrowser::loadResource(int type, const QUrl &name)
{
    Q_UNUSED(type)
    return PreviewPage::dataUrlBytes(name).value_or(QByteArray());
}

void PreviewBrowser::keyPressEvent(QKeyEvent *event)
{
    QTextBrowser::keyPressEvent(event);
    Q_EMIT keyPressedInDocument();
}
