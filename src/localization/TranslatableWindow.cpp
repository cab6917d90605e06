#include "localization/TranslatableWindow.h"

namespace {

bool hasSingleCaption(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Label:
    case ControlKind::CommandButton:
    case ControlKind::SkinLabel:
    case ControlKind::Frame:
    case ControlKind::CheckBox:
        return true;
    default:
        return false;
    }
}

void appendNumberedParts(QList<CaptionSlot> &result, int control, const QString &prefix, int count)
{
    for (int part = 1; part <= count; ++part)
        result.append({control, part, prefix + QString::number(part)});
}

} // namespace

QList<CaptionSlot> captionSlots(const QString &windowName,
                                const QList<TranslatableControl> &controls)
{
    QList<CaptionSlot> result;
    for (int i = 0; i < controls.size(); ++i) {
        const TranslatableControl &control = controls.at(i);
        const QString base = windowName + QLatin1Char('_') + control.name;
        if (hasSingleCaption(control.kind)) {
            // A member of an indexed group (the frames of a step-by-step dialog) has a key of
            // its own, as option buttons do; else every member would show the first's caption.
            result.append({i, 0, control.index ? base + QString::number(*control.index) : base});
        } else if (control.kind == ControlKind::TabStrip) {
            appendNumberedParts(result, i, base + QStringLiteral("_TABS"), control.partCount);
        } else if (control.kind == ControlKind::ListView) {
            appendNumberedParts(result, i, base + QStringLiteral("_COL"), control.partCount);
        } else if (control.kind == ControlKind::OptionButton) {
            if (control.index)
                result.append({i, 0, base + QString::number(*control.index)});
        } else if (control.kind == ControlKind::Menu) {
            result.append({i, 0, base + QString::number(control.index.value_or(0))});
        }
    }
    return result;
}

QList<CaptionItem> collectCaptions(const TranslatableWindow &window)
{
    const QString name = window.windowName();
    QList<CaptionItem> items;
    for (const CaptionSlot &slot : captionSlots(name, window.controls()))
        items.append({slot.key.toUpper(), window.caption(slot.control, slot.part)});
    items.append({name.toUpper() + QStringLiteral("_CAPTION"), window.title()});
    return items;
}
