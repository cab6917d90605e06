#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <QString>

namespace test {

// Records every box that logic shows and answers from a script. A box without a scripted
// answer gets its safe answer (OK, No, Cancel), so a test that forgets to script one cannot
// loop forever on Retry.
class RecordingMessageBoxes final : public platform::MessageBoxes {
public:
    struct Box {
        platform::MessageIcon icon;
        QString title;
        QString text;
        platform::MessageButtons buttons;
    };

    platform::MessageAnswer show(platform::MessageIcon icon, const QString &title,
                                 const QString &text, platform::MessageButtons buttons) override
    {
        shown.append({icon, title, text, buttons});
        if (!answers.isEmpty())
            return answers.takeFirst();
        return platform::safeAnswer(buttons);
    }

    QList<platform::MessageAnswer> answers; // taken from the front, one per box
    QList<Box> shown;
};

} // namespace test
