#pragma once

#include "scheduler/PopupGeometry.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QListWidget;
class QToolButton;
struct PopupProperties;
class Languages;

namespace platform {
class Clock;
class ClockTimer;
} // namespace platform

// The popup that announces new feed items: a small frameless window that stays on top, slides
// up out of the bottom-right corner of the work area, lists one row per feed, and slides back
// down and deletes itself when "Close Window" (or its close picture) is clicked or, with
// autoClose, timeToLive ms after it has fully opened.
//
// The creator sets the properties and fills lstResult before show(); showing starts everything
// (translation, transparency, sound, animation). The window is never modal and, while
// canGainFocus is false, never takes the keyboard focus from the window that had it. Several
// popups may be open at once; each is independent and they share one position.
//
// The slide moves one step every kAnimateMs and the wait before closing runs on the clock given
// at construction, so a test moves that clock instead of waiting.
class NotificationPopup final : public QWidget {
    Q_OBJECT
public:
    // Time between two steps of the slide.
    static constexpr int kAnimateMs = 10;

    // The language service must outlive the showing of the popup (it translates it then); the
    // clock must outlive the popup.
    NotificationPopup(Languages &languages, platform::Clock &clock, QWidget *parent = nullptr);
    ~NotificationPopup() override;

    // Percentage of transparency applied when makeTransparent is set (0 opaque .. 100 clear).
    [[nodiscard]] qint16 transparencyPercentage() const { return m_transparencyPercentage; }
    void setTransparencyPercentage(qint16 percentage) { m_transparencyPercentage = percentage; }
    // Played once when the popup opens, when playSound is set and the file exists.
    [[nodiscard]] QString soundFilePath() const { return m_soundFilePath; }
    void setSoundFilePath(const QString &path) { m_soundFilePath = path; }
    [[nodiscard]] bool playSound() const { return m_playSound; }
    void setPlaySound(bool play) { m_playSound = play; }
    // Close by itself timeToLive ms after fully opening; without it "Close Window" is shown.
    [[nodiscard]] bool autoClose() const { return m_autoClose; }
    void setAutoClose(bool autoClose) { m_autoClose = autoClose; }
    [[nodiscard]] qint32 timeToLive() const { return m_timeToLive; }
    void setTimeToLive(qint32 milliseconds) { m_timeToLive = milliseconds; }
    [[nodiscard]] bool makeTransparent() const { return m_makeTransparent; }
    void setMakeTransparent(bool transparent) { m_makeTransparent = transparent; }
    // False: the popup neither takes the focus nor becomes the active window.
    [[nodiscard]] bool canGainFocus() const { return m_canGainFocus; }
    void setCanGainFocus(bool canGainFocus);

    // All seven properties at once.
    void setProperties(const PopupProperties &properties);

    // The list of announced feeds, filled by the creator before show().
    [[nodiscard]] QListWidget &lstResult() const { return *m_lstResult; }
    void addRow(const QString &row);

    // Starts sliding down, from the current height; the popup deletes itself at the end. This is
    // what "Close Window" and the close picture do.
    void closeWindow();

    // The current and the design height in twips, and whether the popup is sliding down.
    [[nodiscard]] int heightTwips() const { return m_slide.heightTwips(); }
    [[nodiscard]] int designHeightTwips() const { return m_slide.designHeightTwips(); }
    [[nodiscard]] bool isClosing() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void load();
    void translate();
    void fitContents();
    void place();
    void playSound();
    void animate();
    void startAnimating();
    void startClosing();

    Languages &m_languages;

    qint16 m_transparencyPercentage = 0;
    QString m_soundFilePath;
    bool m_playSound = false;
    bool m_autoClose = false;
    qint32 m_timeToLive = 0;
    bool m_makeTransparent = false;
    bool m_canGainFocus = false;

    bool m_loaded = false;
    QPointer<QWidget> m_previousWindow;
    QRect m_workArea;
    PopupGeometry::PopupSlide m_slide;

    QWidget *m_contents = nullptr;
    QListWidget *m_lstResult = nullptr;
    QLabel *m_lblClose = nullptr;
    QToolButton *m_picClose = nullptr;
    // The next step of the slide, restarted at each step that moves the popup.
    const std::unique_ptr<platform::ClockTimer> m_animateTimer;
    // timeToLive, from the moment the popup is fully open (autoClose only).
    const std::unique_ptr<platform::ClockTimer> m_waitTimer;
};
