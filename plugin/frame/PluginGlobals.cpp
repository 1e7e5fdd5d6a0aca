#include "frame/PluginGlobals.h"

// Null until the host binds the plug-in; every call to the host goes through it.
HarlithFace *g_hostFace = nullptr;
Enum_TextIndex g_curTextIndex = Explain;
Enum_Range g_range = All;
