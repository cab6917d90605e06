#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class Languages;

namespace platform {
struct Context;
}

// "Change Language": picks the interface language among the groups of Localization.txt, fetches
// the newest language file from the maker's site and opens the file for translating.
//
// A choice takes effect and is stored the moment it is made, not at OK: the language setting is
// written, the main window retranslates itself through applyToMainWindow, and this dialog
// follows. Other open windows pick the language up when they are next opened.
//
// The opener calls prepare() and then exec()s the dialog (first run) or show()s it (Languages
// menu). While a check for updates waits for the network the buttons are disabled and the
// dialog refuses to close, so the wait always returns to a live window.
class LanguageDialog final : public QDialog {
    Q_OBJECT
public:
    // languagesFolderUrl: the maker's languages folder, with its trailing "/".
    LanguageDialog(const platform::Context &ctx, Languages &languages, QString languagesFolderUrl,
                   std::function<void(const QString &language)> applyToMainWindow,
                   QWidget *parent = nullptr);

    // What the dialog does as it opens: translation into the current language, the title and
    // the list of languages.
    void prepare();
    // Lists the languages of Localization.txt in file order and selects the stored language;
    // without a file, or without the stored language in it, the box shows its prompt.
    void fillLanguageList();

    void done(int result) override;

private:
    void chooseLanguage(int index);
    void checkForUpdates();
    void openLanguageFile();
    void setBusy(bool busy);
    void showTranslatedTitle();

    const platform::Context &m_ctx;
    Languages &m_languages;
    QString m_languagesFolderUrl;
    std::function<void(const QString &)> m_applyToMainWindow;
    bool m_busy = false;

    QLabel *m_label = nullptr;
    QComboBox *m_languageBox = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_checkUpdates = nullptr;
    QPushButton *m_translate = nullptr;
};
