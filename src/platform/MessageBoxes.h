#pragma once

#include <QString>

namespace platform {

enum class MessageIcon { Warning, Information, Error, Question };
enum class MessageButtons { Ok, YesNo, RetryCancel };
enum class MessageAnswer { Ok, Yes, No, Retry, Cancel };

// The answer of a box that is closed without a choice (Escape, its close box, or no user at all):
// No for Yes/No, Cancel for Retry/Cancel, OK otherwise.
[[nodiscard]] constexpr MessageAnswer safeAnswer(MessageButtons buttons)
{
    return buttons == MessageButtons::YesNo      ? MessageAnswer::No
        : buttons == MessageButtons::RetryCancel ? MessageAnswer::Cancel
                                                 : MessageAnswer::Ok;
}

// The one way logic talks to the user: a modal box with an icon, a title, a text and a set of
// buttons. The GUI installs a QMessageBox implementation; tests install a recorder with scripted
// answers. The helpers below are the four kinds of box the program uses.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    virtual MessageAnswer show(MessageIcon icon, const QString &title, const QString &text,
                               MessageButtons buttons)
        = 0;

    void warning(const QString &title, const QString &text)
    {
        show(MessageIcon::Warning, title, text, MessageButtons::Ok);
    }
    void information(const QString &title, const QString &text)
    {
        show(MessageIcon::Information, title, text, MessageButtons::Ok);
    }
    void error(const QString &title, const QString &text)
    {
        show(MessageIcon::Error, title, text, MessageButtons::Ok);
    }
    // Yes/No with the question icon; true for Yes.
    [[nodiscard]] bool question(const QString &title, const QString &text)
    {
        return show(MessageIcon::Question, title, text, MessageButtons::YesNo)
            == MessageAnswer::Yes;
    }
    // Retry/Cancel with the given icon; true for Retry.
    [[nodiscard]] bool retry(MessageIcon icon, const QString &title, const QString &text)
    {
        return show(icon, title, text, MessageButtons::RetryCancel) == MessageAnswer::Retry;
    }
};

} // namespace platform
