#include "localization/DialogLanguage.h"

#include "localization/Languages.h"
#include "localization/QtTranslatableWindow.h"

#include <QCoreApplication>
#include <QPushButton>

namespace DialogLanguage {

void nameStandardButton(QPushButton *button, const char *name)
{
    button->setObjectName(QString::fromLatin1(name));
    button->setProperty("untranslated", true);
}

QPushButton *standardButton(QDialogButtonBox::StandardButton which, const char *name,
                            QWidget *parent)
{
    // The texts Qt gives the buttons of a QDialogButtonBox, from the same translation context.
    const char *text = which == QDialogButtonBox::Cancel ? "Cancel" : "OK";
    auto *button = new QPushButton(QCoreApplication::translate("QPlatformTheme", text), parent);
    nameStandardButton(button, name);
    return button;
}

QPushButton *untranslatedButton(const char *name, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    nameStandardButton(button, name);
    return button;
}

void translate(QWidget &dialog, Languages &languages)
{
    QtTranslatableWindow window(dialog);
    languages.changeLanguage(window, languages.currentLanguage());
    const QString title
        = languages.getMessages(QStringLiteral("CAPTION_") + dialog.objectName().toUpper());
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
}

} // namespace DialogLanguage
