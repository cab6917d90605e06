#include "common/ComboCompletion.h"

#include "platform/ComboBoxView.h"

#include <QString>

namespace ComboCompletion {
namespace {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kFullStop = 46;

int findEntryStartingWith(const platform::ComboBoxView &combo, const QString &start)
{
    const QString wanted = start.toLower();
    for (int index = 0; index < combo.count(); ++index) {
        if (combo.itemText(index).toLower().startsWith(wanted))
            return index;
    }
    return -1;
}

} // namespace

void complete(platform::ComboBoxView &combo, int &keyCode, bool limitToList, bool beep)
{
    const QString typed = combo.text().left(combo.selectionStart());
    QString search;
    switch (keyCode) {
    case kEnter:
        if (combo.currentIndex() != -1) {
            combo.setSelection(0, int(combo.text().size()));
            return;
        }
        break; // completes to the first entry
    case kEscape:
    case kFullStop:
        combo.setText(QString());
        keyCode = 0;
        return;
    case kBackspace:
        if (typed.size() <= 1) {
            combo.setText(QString());
            keyCode = 0;
            return;
        }
        search = typed.chopped(1);
        break;
    default:
        search = typed + QChar(char16_t(keyCode));
        break;
    }

    const int found = findEntryStartingWith(combo, search);
    if (found >= 0) {
        combo.setCurrentIndex(found);
        combo.setSelection(int(search.size()), int(combo.itemText(found).size() - search.size()));
        keyCode = 0;
    } else if (limitToList) {
        keyCode = 0;
        if (beep)
            combo.beep();
    }
}

} // namespace ComboCompletion
