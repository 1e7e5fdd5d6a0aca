#include "panels/OptionPages.h"

#include "ui_WidgetTextOption.h"

#include <QString>

void OptionPages::showExplain()
{
    ui->stackedWidget_3->setCurrentIndex(PageExplain);
}

void OptionPages::showReplace()
{
    ui->plainTextEdit_replacedKey->clear();
    ui->plainTextEdit_replaceWith->show();
    ui->label_41->setText(QStringLiteral("被替换关键字:"));
    ui->label_42->show();
    showReplaceBoxes();
}

void OptionPages::showReplaceByTable()
{
    ui->stackedWidget_3->setCurrentIndex(PageReplace);
    ui->stackedWidget_replaced->setCurrentIndex(ReplaceTable);
    ui->radioButton_keyOrdinary->show();
    ui->radioButton_keyOrdinary->setChecked(true);
    ui->radioButton_keyExtend->show();
    ui->radioButton_keyExtend->setEnabled(true);
    ui->checkBox_lookAt->show();
    ui->checkBox_matchCase->show();
}

void OptionPages::showRetain()
{
    ui->plainTextEdit_replacedKey->clear();
    ui->plainTextEdit_replaceWith->clear();
    ui->plainTextEdit_replaceWith->hide();
    ui->comboBox_searchOrder->hide();
    ui->label_41->setText(QStringLiteral("被保留的内容或位置(每行一个):"));
    ui->label_42->hide();
    ui->stackedWidget_3->setCurrentIndex(PageReplace);
    ui->stackedWidget_replaced->setCurrentIndex(ReplaceBoxes);
    ui->radioButton_keyOrdinary->show();
    ui->checkBox_lookAt->show();
    ui->radioButton_keyExtend->hide();
    ui->radioButton_keyRegular->hide();
    ui->checkBox_keyIsGreedy->hide();
    ui->checkBox_matchCase->show();
    ui->label_13->hide();
    ui->lineEdit_Separator->hide();
    ui->radioButton_keyOrdinary->setChecked(true);
}

void OptionPages::showDelete()
{
    // An empty replacement box turns every key into a deletion.
    ui->plainTextEdit_replacedKey->clear();
    ui->plainTextEdit_replaceWith->clear();
    ui->plainTextEdit_replaceWith->hide();
    ui->label_41->setText(QStringLiteral("被删除的内容或位置:"));
    ui->label_42->hide();
    showReplaceBoxes();
}

void OptionPages::showTo()
{
    ui->stackedWidget_3->setCurrentIndex(PageTo);
}

void OptionPages::showCode()
{
    ui->stackedWidget_3->setCurrentIndex(PageCode);
}

void OptionPages::showChar()
{
    ui->stackedWidget_3->setCurrentIndex(PageChar);
}

void OptionPages::showSpace()
{
    ui->stackedWidget_3->setCurrentIndex(PageSpace);
}

void OptionPages::showAdd()
{
    ui->stackedWidget_3->setCurrentIndex(PageAdd);
}

void OptionPages::showReplaceBoxes()
{
    ui->stackedWidget_3->setCurrentIndex(PageReplace);
    ui->stackedWidget_replaced->setCurrentIndex(ReplaceBoxes);
    ui->radioButton_keyOrdinary->show();
    ui->checkBox_lookAt->show();
    ui->radioButton_keyExtend->show();
    ui->checkBox_matchCase->show();
    ui->radioButton_keyExtend->setEnabled(true);
    ui->label_13->show();
    ui->lineEdit_Separator->show();
    ui->radioButton_keyOrdinary->setChecked(true);
}
