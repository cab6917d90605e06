#pragma once

#include <QDialog>

class QCheckBox;

namespace platform {
struct Context;
}

// "Minimizing to System Tray ...": asks, when the main window is closed, whether to end the run
// or keep it in the tray, and whether to ask again. Either button stores the choices and hides
// the dialog; the main window keeps it for the rest of the run, so it opens again as it was left.
class ConfirmCloseDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ConfirmCloseDialog(const platform::Context &ctx, QWidget *parent = nullptr);

    // True after "Close Now!", false after "Keep Running" or the dialog's own close box.
    [[nodiscard]] bool bClose() const { return m_close; }
    // Shows the dialog modally and answers bClose.
    bool ask();

private:
    void choose(bool close);

    const platform::Context &m_ctx;
    QCheckBox *m_alwaysExit = nullptr;
    QCheckBox *m_dontShow = nullptr;
    bool m_close = false;
};
