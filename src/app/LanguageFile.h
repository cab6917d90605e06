#pragma once

#include "localization/TranslatableWindow.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class Languages;

// The captions every window shows now, window after window, under their language-file keys.
[[nodiscard]] QList<CaptionItem>
windowCaptions(const std::vector<std::unique_ptr<QWidget>> &windows);

// The other languages' groups, one file each (folder/*.txt), in file name order. They are kept by
// hand beside the English group, which is generated.
[[nodiscard]] QStringList translatedGroups(const QString &folder);

// Localization.txt as the program ships it: the English group of the captions and of the
// languages' registered messages, then the translated groups.
[[nodiscard]] QByteArray languageFile(const Languages &languages,
                                      const QList<CaptionItem> &captions,
                                      const QStringList &groups);
