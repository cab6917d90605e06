#pragma once

#include <QString>
#include <QTranslator>

// Qt's own texts in the user's language: the Yes, No, OK, Cancel and Retry of message boxes and
// dialogs, and the file dialog. Loaded from the Qt translations installed with the system
// (qtbase_<code>.qm); English, or a language Qt has no translation for, uses Qt's built-in texts.
class QtStandardTranslation {
public:
    QtStandardTranslation() = default;
    ~QtStandardTranslation();
    QtStandardTranslation(const QtStandardTranslation &) = delete;
    QtStandardTranslation &operator=(const QtStandardTranslation &) = delete;

    // languageCode as the language file's xml:lang gives it ("de", "fr-FR"); true when Qt's
    // translation for it is now installed.
    bool apply(const QString &languageCode);

private:
    void remove();

    QTranslator m_translator;
    bool m_installed = false;
};
