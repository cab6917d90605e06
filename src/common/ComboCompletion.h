#pragma once

namespace platform {
class ComboBoxView;
}

namespace ComboCompletion {

// Type-ahead completion for an editable drop-down list, called with each typed character code
// (13 Enter, 27 Escape, 8 Backspace, others as typed). Completes the text to the first entry
// that begins with what was typed (without regard to case) and selects the completed part.
// keyCode comes back 0 when the key was consumed. With limitToList, a key that would leave
// the text matching no entry is consumed (and beeps when beep is set).
void complete(platform::ComboBoxView &combo, int &keyCode, bool limitToList, bool beep);

} // namespace ComboCompletion
