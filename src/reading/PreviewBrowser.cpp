#include "reading/PreviewBrowser.h"

#include "reading/LongRuns.h"
#include "reading/PreviewPage.h"

#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

namespace {

// What the preview gives a page for a resource it names: the bytes of a data: URL, and empty
// bytes for anything else. A null result would let QTextDocument read a local file itself.
QVariant pageResource(const QUrl &name)
{
    return PreviewPage::dataUrlBytes(name).value_or(QByteArray());
}

} // namespace

PreviewBrowser::PreviewBrowser(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    connect(this, &QTextBrowser::anchorClicked, this, &PreviewBrowser::anchorActivated);
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
    showPart(PreviewParts::Start{});
    Q_EMIT navigationComplete();
}

void PreviewBrowser::showRest()
{
    if (m_rest)
        showPart(*m_rest);
}

void PreviewBrowser::showPart(const PreviewParts::Start &start)
{
    PreviewParts::Part part = PreviewParts::part(m_page, start, kRestText);
    m_rest = std::move(part.rest);
    setHtml(part.html);
}

void PreviewBrowser::anchorActivated(const QUrl &url)
{
    if (url.toString() == PreviewParts::kRestAddress)
        showRest();
    else
        Q_EMIT linkClicked(url);
}

// Parsing alone lays nothing out, so the whole page takes no longer than its parts.
QString PreviewBrowser::pagePlainText() const
{
    QTextDocument document;
    document.setResourceProvider(pageResource);
    document.setHtml(m_page);
    return document.toPlainText();
}

QVariant PreviewBrowser::loadResource(int type, const QUrl &name)
{
    Q_UNUSED(type)
    return pageResource(name);
}

void PreviewBrowser::keyPressEvent(QKeyEvent *event)
{
    QTextBrowser::keyPressEvent(event);
    Q_EMIT keyPressedInDocument();
}

QMimeData *PreviewBrowser::createMimeDataFromSelection() const
{
    QMimeData *mime = QTextBrowser::createMimeDataFromSelection();
    if (mime && mime->hasText())
        mime->setText(LongRuns::withoutBreaks(mime->text()));
    return mime;
}
