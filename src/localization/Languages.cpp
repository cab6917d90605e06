#include "localization/Languages.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

const QString kFileName = QStringLiteral("Localization.txt");

struct DefaultMessage {
    const char *key;
    const char *text;
};

// Registered in this order at start-up; windows and message boxes fetch them by key.
constexpr DefaultMessage kDefaultMessages[] = {
    {"MSG_DELETE1", "You are attempting to delete the "},
    {"MSG_DELETE2", " category. All feeds subscribed under this category will be deleted."},
    {"MSG_DELETE3", "Continue?"},
    {"MSG_DELETE4", "Delete "},
    {"MSG_DELETE5", "Are you sure you want to delete the selected item?"},
    {"MSG_BUSY",
     "Application is currently busy in executing Feed Check process. Interface cannot be "
     "closed; please try again later."},
    {"CAPTION_FRMADDFEED", "Add New Feed"},
    {"CAPTION_FRMAPPSETTINGS", "Application Settings"},
    {"CAPTION_FRMCATEGORY", "Add/Edit Category"},
    {"CAPTION_FRMCONFIRMCLOSE", "Confirm Close"},
    {"CAPTION_FRMEMAILSETTINGS", "Email Settings"},
    {"MSG_TITLELANGUAGE", "Change Language"},
    {"CAPTION_FRMSCHEDULER", "Scheduler"},
    {"CAPTION_FRMSENDEMAIL", "Send Email"},
    {"MSG_MINIMIZED", "is minimized here!"},
    {"MSG_TRAY",
     "Double-click this icon to show application interface or Right-click for more "
     "options!\""},
    {"MSG_DOWNLOADED", "Language file downloaded."},
};

const char kDescription[]
    = "This file contains various translations of program buttons, messages and menus in XML "
      "format. "
      "You are welcome to correct a translation or to add a language of your own: copy the English "
      "group, translate its items and send the file to us so that every user can share it. Before "
      "you start, fetch the newest file with the 'Check for Language Updates' button.";

QString upperFirst(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

// The text between the first `open` at or after `from` and the `close` that follows it.
std::optional<QString> between(const QString &text, const QString &open, const QString &close,
                               qsizetype from = 0)
{
    const qsizetype start = text.indexOf(open, from);
    if (start < 0)
        return std::nullopt;
    const qsizetype body = start + open.size();
    const qsizetype end = text.indexOf(close, body);
    if (end < 0)
        return std::nullopt;
    return text.mid(body, end - body);
}

// The items of the named language's group, when the file has that group.
std::optional<QString> groupItems(const QString &file, const QString &name)
{
    const QString groupOpen = QStringLiteral("<LANGUAGE_GROUP");
    const QString groupClose = QStringLiteral("</LANGUAGE_GROUP>");
    qsizetype pos = 0;
    while (true) {
        const qsizetype start = file.indexOf(groupOpen, pos, Qt::CaseInsensitive);
        if (start < 0)
            return std::nullopt;
        const qsizetype end = file.indexOf(groupClose, start);
        const QString group = end < 0 ? file.mid(start) : file.mid(start, end - start);
        const auto groupName
            = between(group, QStringLiteral("<LANGUAGE_NAME>"), QStringLiteral("</LANGUAGE_NAME>"));
        if (groupName && groupName->compare(name, Qt::CaseInsensitive) == 0) {
            auto items = between(group, QStringLiteral("<TRANSLATION_ITEMS>"),
                                 QStringLiteral("</TRANSLATION_ITEMS>"));
            if (items)
                return items;
        }
        if (end < 0)
            return std::nullopt;
        pos = end + groupClose.size();
    }
}

} // namespace

Languages::Languages(QString appFolder, ProgramIdentity identity)
    : m_appFolder(std::move(appFolder))
    , m_identity(std::move(identity))
{
}

void Languages::setMessage(const QString &key, const QString &text)
{
    for (MessageSlot &slot : m_messages) {
        if (!slot.used) {
            slot = {key, text, true};
            return;
        }
    }
}

QString Languages::getMessages(const QString &key) const
{
    for (const MessageSlot &slot : m_messages) {
        if (!slot.used)
            break;
        if (slot.key.compare(key, Qt::CaseInsensitive) == 0)
            return upperFirst(replaceNames(slot.text, false));
    }
    return {};
}

void Languages::registerDefaultMessages()
{
    for (const DefaultMessage &message : kDefaultMessages)
        setMessage(QString::fromLatin1(message.key), QString::fromLatin1(message.text));
}

QString Languages::getCaption(const QString &key) const
{
    for (const QString &line : m_lines) {
        if (line.isEmpty())
            continue;
        const qsizetype close = line.indexOf(QLatin1Char('>'));
        if (close < 0)
            continue;
        const QString head = line.left(close);
        if (head.size() <= 2)
            continue;
        const QString lineKey = head.mid(head.indexOf(QLatin1Char('<')) + 1);
        if (lineKey.compare(key, Qt::CaseInsensitive) == 0)
            return upperFirst(replaceNames(lineText(line, key), true));
    }
    return {};
}

// The text between the line's first <key> and the </key> after it; empty without a closing tag.
QString Languages::lineText(const QString &line, const QString &key)
{
    const QString open = QLatin1Char('<') + key + QLatin1Char('>');
    const QString close = QStringLiteral("</") + key + QLatin1Char('>');
    const qsizetype start = line.indexOf(open, 0, Qt::CaseInsensitive);
    if (start < 0)
        return {};
    const qsizetype body = start + open.size();
    const qsizetype end = line.indexOf(close, body, Qt::CaseInsensitive);
    return end < 0 ? QString() : line.mid(body, end - body);
}

QString Languages::replaceNames(QString text, bool withWebsite) const
{
    text.replace(QStringLiteral("[ProgramName]"), m_identity.productName, Qt::CaseInsensitive);
    text.replace(QStringLiteral("[CompanyName]"), m_identity.companyName, Qt::CaseInsensitive);
    if (withWebsite)
        text.replace(QStringLiteral("[Website]"), m_identity.website, Qt::CaseInsensitive);
    return text;
}

QString Languages::languageFilePath() const
{
    return m_appFolder + QLatin1Char('/') + kFileName;
}

void Languages::loadLanguage(const QString &name)
{
    m_currentLanguage = name;
    const QString path = languageFilePath();
    if (!langFileExists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const auto items = groupItems(QString::fromUtf8(file.readAll()), name);
    if (!items)
        return;
    static const QRegularExpression lineEnd(QStringLiteral("\r?\n"));
    m_lines = items->split(lineEnd);
    m_languageFound = true;
}

void Languages::changeLanguage(TranslatableWindow &window, const QString &name)
{
    loadLanguage(name);
    if (m_lines.size() == 1 || !m_languageFound)
        loadLanguage(QStringLiteral("English"));

    const QString windowName = window.windowName();
    for (const CaptionSlot &slot : captionSlots(windowName, window.controls())) {
        const QString text = getCaption(slot.key);
        if (!text.isEmpty())
            window.setCaption(slot.control, slot.part, text);
    }
    const QString title = getCaption(windowName.toUpper() + QStringLiteral("_CAPTION"));
    if (!title.isEmpty())
        window.setTitle(title);
    translateMessages();
}

// A message the language lacks keeps its text: the default or an earlier language's translation.
void Languages::translateMessages()
{
    for (MessageSlot &slot : m_messages) {
        if (!slot.used)
            break;
        const QString text = getCaption(slot.key);
        if (!text.isEmpty())
            slot.text = text;
    }
}

QByteArray Languages::localizationFileBytes(const QList<CaptionItem> &windowCaptions) const
{
    QStringList lines = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<XML_DIZ_INFO>"),
        QStringLiteral("\t<LOCALIZATION_FILE_INFO>"),
        QStringLiteral("\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>"),
        QStringLiteral("\t</LOCALIZATION_FILE_INFO>"),
        QStringLiteral("<LANGUAGE_GROUP xml:lang=\"en\">"),
        QStringLiteral("\t<LANGUAGE_NAME>English</LANGUAGE_NAME>"),
        QStringLiteral("\t<DESCRIPTION>") + QLatin1String(kDescription)
            + QStringLiteral("</DESCRIPTION>"),
        QStringLiteral("\t<TRANSLATION_ITEMS>"),
    };
    const auto itemLine = [](const QString &key, const QString &text) {
        return QStringLiteral("\t\t<%1>%2</%1>").arg(key, text);
    };
    for (const CaptionItem &item : windowCaptions)
        lines.append(itemLine(item.key, item.text));
    for (const MessageSlot &slot : m_messages) {
        if (!slot.used)
            break;
        lines.append(itemLine(slot.key.toUpper(), slot.text));
    }
    lines.append(QStringLiteral("\t</TRANSLATION_ITEMS>"));
    lines.append(QStringLiteral("</LANGUAGE_GROUP>"));
    lines.append(QStringLiteral("</XML_DIZ_INFO>"));
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

bool Languages::makeLocalizationFile(const QList<CaptionItem> &windowCaptions) const
{
    return platform::writeFileAtomically(languageFilePath(), localizationFileBytes(windowCaptions))
        .ok;
}

bool Languages::langFileExists(const QString &path)
{
    const QString name = langTrimPath(path);
    if (name.isEmpty())
        return false;
    // Hidden files count; a folder does not.
    const QFileInfo info(path);
    return info.exists() && !info.isDir() && info.fileName().toUpper() == name.toUpper();
}

QString Languages::langTrimPath(const QString &path)
{
    const qsizetype cut
        = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}
