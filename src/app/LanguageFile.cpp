#include "app/LanguageFile.h"

#include "localization/Languages.h"
#include "localization/QtTranslatableWindow.h"

#include <QDir>
#include <QFile>

QList<CaptionItem> windowCaptions(const std::vector<std::unique_ptr<QWidget>> &windows)
{
    QList<CaptionItem> captions;
    for (const auto &window : windows)
        captions += collectCaptions(QtTranslatableWindow(*window));
    return captions;
}

QStringList translatedGroups(const QString &folder)
{
    QStringList groups;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            groups << QString::fromUtf8(file.readAll());
    }
    return groups;
}

QByteArray languageFile(const Languages &languages, const QList<CaptionItem> &captions,
                        const QStringList &groups)
{
    QByteArray file = languages.localizationFileBytes(captions);
    file.insert(file.lastIndexOf("</XML_DIZ_INFO>"), groups.join(QString()).toUtf8());
    return file;
}
