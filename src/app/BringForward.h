#pragma once

class MainWindow;

// Puts the main window in front of the user, as a second start of the program asks: back from
// the tray the way the tray's Show brings it, out of the minimised state (a maximised window
// stays maximised), above the other windows and with the focus. A window already in front stays
// as it is.
void bringForward(MainWindow &window);
