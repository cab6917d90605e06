#pragma once

#include "reading/PreviewParts.h"

#include <QTextBrowser>

#include <optional>

// The feed window's item preview (ucPreview). It shows a page from a file and loads nothing
// else: QTextBrowser runs no scripts, and every resource a page names (images, style sheets,
// whether http, ftp or a local file) stays unloaded, except data: URLs, which carry their bytes
// inside the page. So a feed can neither run code nor learn that an item was read. Links do not
// navigate; a click reports the address for the window to open outside.
//
// A page shows in parts (PreviewParts), so that no item, whatever its size or shape, holds up the
// program while it is laid out: a long page ends where it was cut with a link to the rest, which
// the preview follows itself by showing the next part.
class PreviewBrowser final : public QTextBrowser {
    Q_OBJECT
public:
    // The text of the link to the rest of a page.
    static inline const QString kRestText = QStringLiteral("Show the rest");

    explicit PreviewBrowser(QWidget *parent = nullptr);

    // Shows the first part of the page in the file (UTF-8), then reports navigationComplete. A
    // file that cannot be read shows an empty page.
    void navigate(const QString &filePath);
    // Shows the empty page, then reports navigationComplete.
    void navigateBlank();
    // True while the part shown is not the page's last.
    [[nodiscard]] bool hasRest() const { return m_rest.has_value(); }
    // Shows the next part of the page, from its start; nothing when the last part is shown.
    void showRest();

    // The page last shown, whole, as it was read.
    [[nodiscard]] const QString &pageText() const { return m_page; }
    // The text of the whole page, every part of it, as the preview shows text (toPlainText).
    [[nodiscard]] QString pagePlainText() const;

    QVariant loadResource(int type, const QUrl &name) override;

Q_SIGNALS:
    void navigationComplete();
    // A key was pressed while the page had the focus.
    void keyPressedInDocument();
    // A link of the page was clicked; the link to the rest is not reported.
    void linkClicked(const QUrl &url);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // A copy carries the text without the break opportunities put into long runs.
    QMimeData *createMimeDataFromSelection() const override;

private:
    void display(const QString &page);
    void showPart(const PreviewParts::Start &start);
    void anchorActivated(const QUrl &url);

    QString m_page;
    std::optional<PreviewParts::Start> m_rest;
};
