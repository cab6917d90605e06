#pragma once

#include "settings/Autostart.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;
class Languages;

namespace platform {
struct Context;
}

// "Application Settings": whether the program starts with the desktop session and what closing
// the main window does (the app group of AppCfg.cfg), with the start-up state found on disk.
// OK stores the choices and creates or removes the user's autostart entry to match the check
// box; Cancel changes nothing. The opener calls prepare() and then exec().
class AppSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    AppSettingsDialog(const platform::Context &ctx, Languages &languages,
                      Autostart::Locations locations, QString executablePath,
                      QWidget *parent = nullptr);

    // Translates the captions, fills the controls from the configuration and shows whether an
    // autostart entry starts the program.
    void prepare();

private:
    void buildControls();
    void showOptions(bool closeCompletely, bool minimizeToTray);
    void showStartupState();
    void saveAndClose();
    void applyStartup();

    const platform::Context &m_ctx;
    Languages &m_languages;
    Autostart::Locations m_locations;
    QString m_executablePath;

    QCheckBox *m_startup = nullptr;
    QLabel *m_startupState = nullptr;
    QButtonGroup *m_closeGroup = nullptr;
    std::array<QRadioButton *, 2> m_optClose{}; // 0 closes completely, 1 minimises to the tray
};
