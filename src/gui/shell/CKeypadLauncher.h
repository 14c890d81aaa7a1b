#pragma once

class CMainFrame;

// Makes the frame's keypad commands and the sun toggle open their windows: the LED keypad,
// the basic keypad, the motor keypad and the sun dialog, one of each at a time. Their
// commands go to the frame to be sent, and a keypad that closes tells the frame.
class CKeypadLauncher {
public:
    static void registerWith(CMainFrame& frame);
};
