#pragma once

#include "localization/TranslatableWindow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The names the language texts may refer to: "[ProgramName]", "[CompanyName]", "[Website]".
struct ProgramIdentity {
    QString productName = QStringLiteral("Marlowin");
    QString companyName;
    QString website;
};

// The translation service: one instance, created at start-up. It holds the translation items of
// the current language (the lines of its group in Localization.txt) and the message table, and
// translates windows from them. Keys are matched without regard to case. The file is re-read at
// every loadLanguage; nothing but the current language's lines is kept.
class Languages {
public:
    static constexpr int MessageSlots = 201;

    Languages(QString appFolder, ProgramIdentity identity);

    // Stores the pair in the first free message slot; a full table ignores the call. An existing
    // key is not looked for: the first registration of a key is the one getMessages finds.
    void setMessage(const QString &key, const QString &text);
    // The text of the first slot with the key, placeholders replaced and the first character in
    // upper case; empty text for a key never registered, whatever the language file holds.
    [[nodiscard]] QString getMessages(const QString &key) const;
    // The sixteen start-up messages in their fixed order, then MSG_DOWNLOADED.
    void registerDefaultMessages();

    // The current language's text for the key, placeholders replaced and the first character in
    // upper case; empty text when the key is missing or its line is malformed.
    [[nodiscard]] QString getCaption(const QString &key) const;

    // Makes the name the current language and, when Localization.txt has its group, takes that
    // group's items. A missing file or group leaves the items of the language loaded before.
    void loadLanguage(const QString &name);

    // Loads the language (falling back to English when no language was ever found or its items
    // are a single line), sets every caption of the window that has a translation, the title,
    // and replaces the text of every message the language translates. Captions, the title and
    // messages without a translation keep what they had.
    void changeLanguage(TranslatableWindow &window, const QString &name);
    // The multi-document windows' variant: control kinds come typed, so it is the same walk.
    void changeLanguageMdi(TranslatableWindow &window, const QString &name)
    {
        changeLanguage(window, name);
    }

    // Writes a fresh Localization.txt (UTF-8, CR LF) holding only the English group: the window
    // captions as given (collected with collectCaptions over every window), then one item per
    // message in slot order. The old file is replaced only once the new one is complete.
    [[nodiscard]] bool makeLocalizationFile(const QList<CaptionItem> &windowCaptions) const;

    // The language file's bytes as makeLocalizationFile writes them.
    [[nodiscard]] QByteArray localizationFileBytes(const QList<CaptionItem> &windowCaptions) const;

    [[nodiscard]] const QString &currentLanguage() const { return m_currentLanguage; }
    void setCurrentLanguage(const QString &name) { m_currentLanguage = name; }

    // True when the path names an existing file (not a folder) whose name on disk is the path's
    // file name; any failure gives false.
    [[nodiscard]] static bool langFileExists(const QString &path);
    // The file name of the path: everything after its last "/" or "\".
    [[nodiscard]] static QString langTrimPath(const QString &path);
    // The language list is built by the language dialog; this gives an empty list.
    [[nodiscard]] static QStringList listLanguages() { return {}; }

    [[nodiscard]] QString languageFilePath() const;

private:
    struct MessageSlot {
        QString key;
        QString text;
        bool used = false;
    };

    [[nodiscard]] QString replaceNames(QString text, bool withWebsite) const;
    [[nodiscard]] static QString lineText(const QString &line, const QString &key);
    void translateMessages();

    QString m_appFolder;
    ProgramIdentity m_identity;
    QStringList m_lines;
    bool m_languageFound = false;
    QString m_currentLanguage;
    std::array<MessageSlot, MessageSlots> m_messages;
};
