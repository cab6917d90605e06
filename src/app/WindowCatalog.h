#pragma once

#include <QWidget>

#include <memory>
#include <vector>

struct MainWindowServices;

// Every window of the program, created as the program first shows it: what the language file
// generator walks to collect the English captions. A new window is added here when it is built.
// The main window comes first; the others may refer to it.
[[nodiscard]] std::vector<std::unique_ptr<QWidget>>
createAllWindows(const MainWindowServices &services);
