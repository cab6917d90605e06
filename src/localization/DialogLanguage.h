#pragma once

#include <QDialogButtonBox>

class QPushButton;
class QWidget;
class Languages;

// What every dialog does with languages. Its OK and Cancel buttons keep Qt's own texts, which
// Qt translates itself (QtStandardTranslation), so the language file leaves them alone.
namespace DialogLanguage {

// Names a button of a QDialogButtonBox and keeps the language file away from it.
void nameStandardButton(QPushButton *button, const char *name);
// A stand-alone OK or Cancel button with Qt's text for it, named and kept from the language file.
[[nodiscard]] QPushButton *standardButton(QDialogButtonBox::StandardButton which, const char *name,
                                          QWidget *parent);
// A button whose caption the dialog itself sets (it tells a mode or a phase), named and kept from
// the language file.
[[nodiscard]] QPushButton *untranslatedButton(const char *name, const QString &text,
                                              QWidget *parent);
// Translates the dialog's captions into the current language and takes the message
// "CAPTION_" + its name in upper case as its title when the language gives one.
void translate(QWidget &dialog, Languages &languages);

} // namespace DialogLanguage
