#include "WidgetTextOption.h"

WidgetTextOption::WidgetTextOption(const QString &text, QWidget *parent) : QWidget(parent)
{
    Q_UNUSED(text);
    curTextSlot(g_curTextIndex);
}

WidgetTextOption::~WidgetTextOption() = default;

void WidgetTextOption::curTextSlot(Enum_TextIndex index)
{
    Q_UNUSED(index);
}

void WidgetTextOption::rep2RangeSlot() {}
