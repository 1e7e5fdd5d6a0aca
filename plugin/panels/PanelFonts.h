#ifndef PANELFONTS_H
#define PANELFONTS_H

class QWidget;

// The panels' forms name Windows fonts. Where this platform lacks one, its
// widgets draw in an installed face of the same kind instead, sized in pixels
// so that their texts fit the forms' fixed pixel geometry at any screen
// resolution.
class PanelFonts
{
public:
    // Gives form and every child that names a missing Windows font its
    // stand-in; other fonts stay as they are.
    static void substitute(QWidget *form);
};

#endif // PANELFONTS_H
