#include "panels/PanelFonts.h"

#include <QFontDatabase>
#include <QWidget>

namespace {

struct StandIn
{
    const char *windowsFamily;
    const char *family;
    int pixelSize;
};

// Condensed faces stand in for condensed ones. A range button leaves 15
// pixels for its text; "List" and "Cur" fill 14 of them in DejaVu Sans
// Condensed at 9 pixels. The Chinese faces keep the size of 9 points at 96
// dots per inch.
const StandIn kStandIns[] = {
    {"Agency FB", "DejaVu Sans Condensed", 9},
    {"Bahnschrift Light Condensed", "DejaVu Sans Condensed", 16},
    {"Microsoft YaHei UI", "WenQuanYi Micro Hei", 12},
};

} // namespace

void PanelFonts::substitute(QWidget *form)
{
    const QFontDatabase installed;
    QList<QWidget *> widgets = form->findChildren<QWidget *>();
    widgets.prepend(form);
    for (QWidget *widget : qAsConst(widgets)) {
        // Children that only inherit a font follow their parent's change.
        if (!widget->testAttribute(Qt::WA_SetFont))
            continue;
        QFont font = widget->font();
        if (installed.hasFamily(font.family()))
            continue;
        for (const StandIn &standIn : kStandIns) {
            if (font.family() != QLatin1String(standIn.windowsFamily))
                continue;
            font.setFamily(QLatin1String(standIn.family));
            font.setPixelSize(standIn.pixelSize);
            widget->setFont(font);
            break;
        }
    }
}
