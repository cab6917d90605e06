#pragma once

#include <QTextBrowser>

// The feed window's item preview (ucPreview). It shows a page from a file and loads nothing
// else: QTextBrowser runs no scripts, and every resource a page names (images, style sheets,
// whether http, ftp or a local file) stays unloaded, except data: URLs, which carry their bytes
// inside the page. So a feed can neither run code nor learn that an item was read. Links do not
// navigate; a click reports the address for the window to open outside.
class PreviewBrowser final : public QTextBrowser {
    Q_OBJECT
public:
    explicit PreviewBrowser(QWidget *parent = nullptr);

    // Shows the page in the file (UTF-8), then reports navigationComplete. A file that cannot be
    // read shows an empty page.
    void navigate(const QString &filePath);
    // Shows the empty page, then reports navigationComplete.
    void navigateBlank();

    // The page last shown, as it was read.
    [[nodiscard]] const QString &pageText() const { return m_page; }

    QVariant loadResource(int type, const QUrl &name) override;

Q_SIGNALS:
    void navigationComplete();
    // A key was pressed while the page had the focus.
    void keyPressedInDocument();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void display(const QString &page);

    QString m_page;
};
