#ifndef PLUGINGLOBALS_H
#define PLUGINGLOBALS_H

class HarlithFace;

// The operation the panel last chose.
enum Enum_TextIndex {
    Explain = 0,
    Replaced = 1,
    Replaced2 = 2,
    Retain = 3,
    Delete = 4,
    To = 5,
    Code = 6,
    Char = 7,
    Space = 8,
    Add = 9,
    Subtract = 10
};

// The files a run covers.
enum Enum_Range { All = 1, List = 2, Current = 3 };

// Plug-in-wide state, touched in the GUI thread only.
extern HarlithFace *g_hostFace;
extern Enum_TextIndex g_curTextIndex;
extern Enum_Range g_range;

#endif // PLUGINGLOBALS_H
