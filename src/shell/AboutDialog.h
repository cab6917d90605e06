#pragma once

#include <QDialog>

// The about window: the program's mark, name, maker and version. Not modal; it deletes itself
// when closed.
class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
};
