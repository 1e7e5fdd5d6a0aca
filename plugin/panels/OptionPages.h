#ifndef OPTIONPAGES_H
#define OPTIONPAGES_H

namespace Ui {
class WidgetTextOption;
}

// Arranges the options panel's widgets for one operation: which page shows
// and, on the shared replace page, which boxes and labels.
class OptionPages
{
public:
    // Pages of stackedWidget_3.
    enum Page { PageReplace, PageTo, PageCode, PageSpace, PageChar, PageAdd, PageExplain };
    // Pages of stackedWidget_replaced.
    enum ReplacePage { ReplaceBoxes, ReplaceTable };

    explicit OptionPages(Ui::WidgetTextOption *ui) : ui(ui) {}

    void showExplain();
    void showReplace();
    // The keyword table; its file columns are the panel's to fill.
    void showReplaceByTable();
    void showRetain();
    void showDelete();
    void showTo();
    void showCode();
    void showChar();
    void showSpace();
    void showAdd();

private:
    void showReplaceBoxes();

    Ui::WidgetTextOption *ui;
};

#endif // OPTIONPAGES_H
