#include "panels/WidgetText.h"
#include "ui_WidgetText.h"

#include "frame/Wendral.h"
#include "panels/PanelFonts.h"

#include <QDebug>

WidgetText::WidgetText(Wendral *plugin, QWidget *parent)
    : WidgetEx(parent), ui(new Ui::WidgetText), mPlugin(plugin)
{
    ui->setupUi(this);
    PanelFonts::substitute(this);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    if (mPlugin)
        setWindowTitle(mPlugin->plusName());

    // Connected before anyone outside can listen, so the panel settles its
    // range buttons before the plug-in reacts to a new operation.
    connect(this, &WidgetText::curTextSignal, this, &WidgetText::onCurTextChanged);

    connectTextButton(ui->toolButton_textReplaced, Replaced);
    connectTextButton(ui->toolButton_textReplaced_2, Replaced2);
    connectTextButton(ui->toolButton_textRetain, Retain);
    connectTextButton(ui->toolButton_textDelete, Delete);
    connectTextButton(ui->toolButton_textTo, To);
    connectTextButton(ui->toolButton_textCode, Code);
    connectTextButton(ui->toolButton_textChar, Char);
    connectTextButton(ui->toolButton_textSpace, Space);
    connectTextButton(ui->toolButton_textAdd, Add);
    connectTextButton(ui->toolButton_textSubtract, Subtract);

    connect(ui->toolButton_rangeAll, &QToolButton::clicked, this, &WidgetText::setRangeAll);
    connect(ui->toolButton_rangeList, &QToolButton::clicked, this, &WidgetText::setRangeList);
    connect(ui->toolButton_rangeCurrent, &QToolButton::clicked, this, &WidgetText::setRangeCurrent);

    // The form shows "Cur" checked; nobody listens yet, so this only makes
    // g_range agree with it.
    setRangeCurrent();
}

WidgetText::~WidgetText()
{
    delete ui;
}

void WidgetText::connectTextButton(QToolButton *button, Enum_TextIndex index)
{
    connect(button, &QToolButton::clicked, this, [this, index]() { setCurText(index); });
}

void WidgetText::setCurText(Enum_TextIndex index)
{
    if (g_curTextIndex == index)
        return;
    g_curTextIndex = index;
    emit curTextSignal(index);
}

void WidgetText::setRangeAll()
{
    setRange(All);
}

void WidgetText::setRangeList()
{
    setRange(List);
}

void WidgetText::setRangeCurrent()
{
    setRange(Current);
}

void WidgetText::setRange(Enum_Range range)
{
    g_range = range;
    emit rangeSignal(range);
    // The per-file replacement columns follow the files of the range.
    if (g_curTextIndex == Replaced2)
        emit rep2RangeSignal();
}

void WidgetText::onCurTextChanged(Enum_TextIndex index)
{
    Q_UNUSED(index);
    ui->toolButton_rangeCurrent->setEnabled(true);
    setRange(g_range);
}

void WidgetText::on_pushButton_start_clicked()
{
    qDebug() << "ui->pushButton_start satrt !";
    if (mPlugin)
        mPlugin->startRun();
}
