#pragma once

// Shows the busy cursor while it lives, around a load or a save that blocks the window.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Takes the busy cursors off while a dialog asks the user, and returns how many there were.
    static int Suspend();
    // Puts back the busy cursors Suspend took off.
    static void Resume(int count);
};
