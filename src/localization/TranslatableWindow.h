#pragma once

#include <QList>
#include <QString>

#include <optional>

// The control kinds whose captions follow the language file. Text boxes, drop-down lists and the
// skinned push buttons of the dialogs are of no kind here: a window does not report them.
enum class ControlKind {
    Label,
    CommandButton,
    SkinLabel,
    Frame,
    CheckBox,
    TabStrip,
    ListView,
    OptionButton,
    Menu
};

struct TranslatableControl {
    ControlKind kind = ControlKind::Label;
    QString name;             // the control's objectName, as the language file addresses it
    std::optional<int> index; // position in an indexed group (option buttons, menu entries)
    int partCount = 0;        // tabs of a tab strip, columns of a list view
};

// What the translation needs of a window. The widget side only enumerates its controls; the keys
// and the lookups stay in the logic. Controls are addressed by their position in controls();
// part is the tab or column number from 1, and 0 for a control with a single caption.
class TranslatableWindow {
public:
    virtual ~TranslatableWindow() = default;

    [[nodiscard]] virtual QString windowName() const = 0;
    [[nodiscard]] virtual QList<TranslatableControl> controls() const = 0;
    [[nodiscard]] virtual QString caption(int control, int part) const = 0;
    virtual void setCaption(int control, int part, const QString &text) = 0;
    [[nodiscard]] virtual QString title() const = 0;
    virtual void setTitle(const QString &text) = 0;
};

// One caption of a window and the language-file key it is translated under.
struct CaptionSlot {
    int control = 0;
    int part = 0;
    QString key;
};

// The keys of every caption of the controls, in control order: window_control for single
// captions (followed by the index for a member of an indexed group), window_control_TABSi and window_control_COLi per tab and column (i from 1),
// window_control followed by the index for option buttons (one without an index has no key)
// and window_menu followed by the index, or "0" when the menu is not an indexed member.
[[nodiscard]] QList<CaptionSlot> captionSlots(const QString &windowName,
                                              const QList<TranslatableControl> &controls);

// A (key, text) pair as written in the language file.
struct CaptionItem {
    QString key;
    QString text;
};

// The captions the window shows now under their keys in upper case, then its title under
// WINDOWNAME_CAPTION: the English items the language-file generator writes for this window.
[[nodiscard]] QList<CaptionItem> collectCaptions(const TranslatableWindow &window);
