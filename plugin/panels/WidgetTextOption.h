#ifndef WIDGETTEXTOPTION_H
#define WIDGETTEXTOPTION_H

#include "frame/PluginGlobals.h"
#include "panels/OptionPages.h"
#include "records/ParTypes.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace Ui {
class WidgetTextOption;
}

class ParBuilder;
class QTableWidgetItem;
class QValidator;

// The plug-in's options panel: one page of settings per operation, a sheet
// chooser shared by all of them, and the builders of the parameter records.
class WidgetTextOption : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetTextOption(const QString &text, QWidget *parent = nullptr);
    ~WidgetTextOption() override;

    // Each returns a new record the caller owns, or null when the options
    // cannot make one (the caller then reports a parameter error).
    ParReplaced *getParReplaced();
    ParReplaced *getParReplaced2(int fileIndex);
    ParRetain *getParRetain();
    ParTo *getParTo();
    ParCode *getParCode();
    ParChar *getParChar();
    ParSpace *getParSpace();
    ParAdd *getParAdd();

    QString dataPath() const { return m_dataPath; }
    QStringList filePaths() const { return m_filePaths; }

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());

public slots:
    void curTextSlot(Enum_TextIndex index);
    void rep2RangeSlot();

private slots:
    void on_radioButton_keyRegular_toggled(bool checked);
    void on_radioButton_keyOrdinary_toggled(bool checked);
    void on_radioButton_charPos_toggled(bool checked);
    void on_radioButton_charIncrease_toggled(bool checked);
    void on_radioButton_charDelete_toggled(bool checked);
    void on_radioButton_charRetain_toggled(bool checked);
    void on_radioButton_SpaceAll_toggled(bool checked);
    void on_radioButton_textToCase_clicked();
    void on_radioButton_textToHalfFull_clicked();
    void on_radioButton_textToBase_clicked();
    void on_radioButton_textToTradition_clicked();
    void on_radioButton_textToCustom_clicked();
    void on_radioButton_textToOne_toggled(bool checked);
    void on_radioButton_textToFormat1_toggled(bool checked);
    void on_pushButton_textToBaseAB2BA_clicked();
    void on_pushButton_textToTradition_clicked();
    void on_comboBox_CodeOption_currentIndexChanged(int index);
    void on_pushButton_replacedClear_clicked();
    void on_tableWidget_replaced2_itemChanged(QTableWidgetItem *item);
    void on_tableWidget_replaced2_cellEntered(int row, int column);
    void showListToTableWidget();
    void on_radioButton_key_toggled(bool checked);
    void on_stackedWidget_3_currentChanged(int arg1);

private:
    void resetKeywordTable();

    std::unique_ptr<Ui::WidgetTextOption> ui;
    OptionPages m_pages;
    // Word-list folder, ending in a path separator.
    QString m_dataPath;
    // Files whose names head the keyword table's columns 1.., in column order.
    QStringList m_filePaths;
    ParBuilder *m_builder = nullptr;
    // Digits only, empty allowed, for every box that holds a number.
    QValidator *m_digits = nullptr;
};

#endif // WIDGETTEXTOPTION_H
