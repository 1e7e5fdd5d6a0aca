#include "panels/WidgetTextOption.h"

#include "ConfigureSetting.h"
#include "FileType.h"
#include "HarlithFace.h"
#include "Tip.h"
#include "records/OperationKinds.h"
#include "records/ParBuilder.h"
#include "ui_WidgetTextOption.h"
#include "wordlists/CodeEditorEx2.h"
#include "wordlists/WordLists.h"

#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolTip>

namespace {

// Pages of stackedWidget_textTo, in the order of the kind radios' slots.
enum ToPage { ToCase, ToWidth, ToBase, ToTradition, ToCustom };

const int aesOptionIndex = 2;

QString optionTitle(const QString &operation)
{
    return QStringLiteral("处理选项 - 字符处理:") + operation;
}

QString keywordHeader()
{
    return QStringLiteral("关键字");
}

bool isStandardBase(const QString &text)
{
    return text == QLatin1String("2") || text == QLatin1String("8") ||
           text == QLatin1String("10") || text == QLatin1String("16");
}

} // namespace

WidgetTextOption::WidgetTextOption(const QString &text, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::WidgetTextOption>()), m_pages(ui.get())
{
    ui->setupUi(this);
    ui->label_explain->setText(text);
    ui->label_7->hide();
    ui->comboBox_page->hide();

    m_builder = new ParBuilder(ui.get(), Configure::DataPath.read(), this);
    m_dataPath = m_builder->wordLists().dataPath();
    connect(m_builder, &ParBuilder::tipSignal, this, &WidgetTextOption::tipSignal);

    m_digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), this);
    ui->comboBox_textToBaseBefore->setValidator(m_digits);
    ui->comboBox_textToBaseAfter->setValidator(m_digits);
    ui->lineEdit_SpaceNumber->setValidator(m_digits);
    ui->lineEdit_charPos->setValidator(m_digits);
    ui->lineEdit_charDelete->setValidator(m_digits);
    ui->lineEdit_charRetain->setValidator(m_digits);
    ui->lineEdit_AddPos->setValidator(m_digits);
    ui->lineEdit_AddArrive->setValidator(m_digits);

    QTableWidget *table = ui->tableWidget_replaced2;
    // Cells report the mouse entering them, for the file tool tips.
    table->setMouseTracking(true);
    table->setShowGrid(true);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    resetKeywordTable();

    curTextSlot(g_curTextIndex);
}

WidgetTextOption::~WidgetTextOption() = default;

ParReplaced *WidgetTextOption::getParReplaced()
{
    return m_builder->getParReplaced();
}

ParReplaced *WidgetTextOption::getParReplaced2(int fileIndex)
{
    return m_builder->getParReplaced2(fileIndex);
}

ParRetain *WidgetTextOption::getParRetain()
{
    return m_builder->getParRetain();
}

ParTo *WidgetTextOption::getParTo()
{
    return m_builder->getParTo();
}

ParCode *WidgetTextOption::getParCode()
{
    return m_builder->getParCode();
}

ParChar *WidgetTextOption::getParChar()
{
    return m_builder->getParChar();
}

ParSpace *WidgetTextOption::getParSpace()
{
    return m_builder->getParSpace();
}

ParAdd *WidgetTextOption::getParAdd()
{
    return m_builder->getParAdd();
}

void WidgetTextOption::curTextSlot(Enum_TextIndex index)
{
    if (index == Explain) {
        setWindowTitle(QStringLiteral("处理-说明"));
        m_pages.showExplain();
        return;
    }
    const OperationKind *kind = OperationKinds::find(index);
    if (!kind)
        return;
    setWindowTitle(optionTitle(kind->optionsTitle));
    if (kind->showOptions)
        (m_pages.*kind->showOptions)();
    if (index == Replaced2)
        rep2RangeSlot();
}

void WidgetTextOption::rep2RangeSlot()
{
    if (!g_hostFace) {
        return;
    }
    m_filePaths.clear();
    const auto appendPaths = [this](const QList<FileType *> &files) {
        for (const FileType *file : files) {
            m_filePaths.append(file->path);
        }
    };
    switch (g_range) {
    case List:
        appendPaths(g_hostFace->curFileList());
        break;
    case Current: {
        const QString fileName = g_hostFace->curFileName();
        if (!fileName.isEmpty()) {
            m_filePaths.append(fileName);
        }
        break;
    }
    case All:
        for (int i = 0; i < g_hostFace->tableCount(); ++i) {
            appendPaths(g_hostFace->fileList(i));
        }
        break;
    }
    showListToTableWidget();
}

void WidgetTextOption::showListToTableWidget()
{
    QStringList headers{keywordHeader()};
    for (const QString &path : qAsConst(m_filePaths)) {
        headers.append(QFileInfo(path).fileName());
    }
    ui->tableWidget_replaced2->setColumnCount(headers.size());
    ui->tableWidget_replaced2->setHorizontalHeaderLabels(headers);
}

void WidgetTextOption::resetKeywordTable()
{
    QTableWidget *table = ui->tableWidget_replaced2;
    table->clear();
    table->setRowCount(1);
    table->setColumnCount(1);
    table->setHorizontalHeaderLabels({keywordHeader()});
    table->setItem(0, 0, new QTableWidgetItem);
}

void WidgetTextOption::on_radioButton_keyRegular_toggled(bool checked)
{
    ui->checkBox_keyIsGreedy->setEnabled(checked);
}

void WidgetTextOption::on_radioButton_keyOrdinary_toggled(bool checked)
{
    ui->checkBox_lookAt->setEnabled(checked);
}

void WidgetTextOption::on_radioButton_charPos_toggled(bool checked)
{
    ui->lineEdit_charPos->setEnabled(checked);
}

void WidgetTextOption::on_radioButton_charIncrease_toggled(bool checked)
{
    ui->plainTextEdit_charIncrease->setEnabled(checked);
}

void WidgetTextOption::on_radioButton_charDelete_toggled(bool checked)
{
    ui->lineEdit_charDelete->setEnabled(checked);
    ui->comboBox_charArrive->setEnabled(checked);
}

void WidgetTextOption::on_radioButton_charRetain_toggled(bool checked)
{
    ui->lineEdit_charRetain->setEnabled(checked);
}

void WidgetTextOption::on_radioButton_SpaceAll_toggled(bool checked)
{
    // Removing every blank of a text takes neither a count nor another way.
    ui->radioButton_SpaceIncrease->setEnabled(!checked);
    ui->radioButton_SpaceRetain->setEnabled(!checked);
    ui->radioButton_SpaceFixde->setEnabled(!checked);
    ui->lineEdit_SpaceNumber->setEnabled(!checked);
    if (checked) {
        ui->radioButton_SpaceDelete->setChecked(true);
    }
}

void WidgetTextOption::on_radioButton_textToCase_clicked()
{
    ui->stackedWidget_textTo->setCurrentIndex(ToCase);
}

void WidgetTextOption::on_radioButton_textToHalfFull_clicked()
{
    ui->stackedWidget_textTo->setCurrentIndex(ToWidth);
}

void WidgetTextOption::on_radioButton_textToBase_clicked()
{
    ui->stackedWidget_textTo->setCurrentIndex(ToBase);
}

void WidgetTextOption::on_radioButton_textToTradition_clicked()
{
    ui->stackedWidget_textTo->setCurrentIndex(ToTradition);
    // The shipped phrase lists hold only examples.
    emitTip(this, Tip::RegionListsAreSamples);
}

void WidgetTextOption::on_radioButton_textToCustom_clicked()
{
    ui->stackedWidget_textTo->setCurrentIndex(ToCustom);
}

void WidgetTextOption::on_radioButton_textToOne_toggled(bool checked)
{
    // Result two replaces single characters only.
    if (!checked) {
        ui->radioButton_textToResult1->setChecked(true);
    }
    ui->radioButton_textToResult2->setEnabled(checked);
}

void WidgetTextOption::on_radioButton_textToFormat1_toggled(bool checked)
{
    QComboBox *before = ui->comboBox_textToBaseBefore;
    if (isStandardBase(before->currentText())) {
        before->setCurrentIndex(before->findText(before->currentText()));
    }
    // Digit runs inside a text are found for the listed bases only.
    before->setEditable(checked);
    if (checked) {
        // A combo forgets its validator whenever it stops being editable.
        before->setValidator(m_digits);
    }
}

void WidgetTextOption::on_pushButton_textToBaseAB2BA_clicked()
{
    QComboBox *before = ui->comboBox_textToBaseBefore;
    QComboBox *after = ui->comboBox_textToBaseAfter;
    if (!before->isEditable() && !isStandardBase(after->currentText())) {
        emitTip(this, Tip::FormatTwoNotCustom);
        return;
    }
    const QString beforeText = before->currentText();
    before->setCurrentText(after->currentText());
    after->setCurrentText(beforeText);
}

void WidgetTextOption::on_pushButton_textToTradition_clicked()
{
    const int direction = ui->comboBox_textToTradition->currentIndex();
    const WordLists::Script source = WordLists::sourceScript(direction);
    const WordLists::Script target = WordLists::targetScript(direction);
    const WordLists &lists = m_builder->wordLists();
    CodeEditorEx2::showEditor(QStringLiteral("繁简转换"), WordLists::scriptName(source),
                              lists.path(WordLists::phraseFile(source)),
                              WordLists::scriptName(target),
                              lists.path(WordLists::phraseFile(target)), this);
}

void WidgetTextOption::on_comboBox_CodeOption_currentIndexChanged(int index)
{
    ui->stackedWidget_code->setCurrentIndex(index == aesOptionIndex ? 1 : 0);
}

void WidgetTextOption::on_pushButton_replacedClear_clicked()
{
    if (ui->stackedWidget_replaced->currentIndex() == OptionPages::ReplaceBoxes) {
        ui->plainTextEdit_replacedKey->clear();
        ui->plainTextEdit_replaceWith->clear();
    } else {
        resetKeywordTable();
    }
}

void WidgetTextOption::on_tableWidget_replaced2_itemChanged(QTableWidgetItem *item)
{
    if (item->text().isEmpty()) {
        return;
    }
    QTableWidget *table = ui->tableWidget_replaced2;
    const int row = item->row();
    if (row > 0) {
        const QTableWidgetItem *keyAbove = table->item(row - 1, 0);
        if (!keyAbove || keyAbove->text().isEmpty()) {
            emitTip(this, Tip::EmptyReplaceKey);
            item->setText(QString());
            return;
        }
    }
    // The table always ends in one empty row to type the next key into.
    if (row == table->rowCount() - 1) {
        table->insertRow(table->rowCount());
        for (int column = 0; column < table->columnCount(); ++column) {
            table->setItem(row + 1, column, new QTableWidgetItem);
        }
    }
}

void WidgetTextOption::on_tableWidget_replaced2_cellEntered(int row, int column)
{
    Q_UNUSED(row);
    if (column > 0 && column <= m_filePaths.size()) {
        QToolTip::showText(QCursor::pos(), m_filePaths.at(column - 1));
    }
}

void WidgetTextOption::on_radioButton_key_toggled(bool checked)
{
    // By position, case and search mode do not apply.
    ui->checkBox_matchCase->setEnabled(checked);
    ui->groupBox->setEnabled(checked);
}

void WidgetTextOption::on_stackedWidget_3_currentChanged(int arg1)
{
    const bool sheetsApply = arg1 != OptionPages::PageExplain;
    ui->label_7->setVisible(sheetsApply);
    ui->comboBox_page->setVisible(sheetsApply);
}
