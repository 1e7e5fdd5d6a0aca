#include "StepWidget.h"
#include "Tip.h"
#include "ui_StepWidget.h"

#include <QBrush>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTableWidgetItem>

#include <algorithm>

namespace {

enum Column { Operation = 0, Parameters = 1, Range = 2, Tick = 3, State = 4, ColumnCount = 5 };

const int kTextColumns[] = {Operation, Parameters, Range, State};

QString rangeText(int range)
{
    switch (range) {
    case 1:
        return QStringLiteral("所有列表");
    case 2:
        return QStringLiteral("当前列表");
    case 3:
        return QStringLiteral("当前文档");
    default:
        return QStringLiteral("None");
    }
}

QTableWidgetItem *centredItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

int rowFromField(const QString &text)
{
    // The fields count from 1; an empty field reads as 0, so as row -1.
    return text.toInt(nullptr, 10) - 1;
}

} // namespace

StepWidget::StepWidget(QWidget *parent) : QWidget(parent), ui(new Ui::StepWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("多步处理"));
    Qt::WindowFlags flags = windowFlags();
    flags &=
        ~(Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint | Qt::WindowType_Mask);
    setWindowFlags(flags | Qt::Dialog);

    auto *digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), this);
    ui->lineEdit_begin->setValidator(digits);
    ui->lineEdit_end->setValidator(digits);

    QTableWidget *table = ui->tableWidget_step;
    table->setRowCount(0);
    table->setColumnCount(ColumnCount);
    table->setHorizontalHeaderLabels({QStringLiteral("操作"), QStringLiteral("参数"),
                                      QStringLiteral("处理范围"), QStringLiteral("执行"),
                                      QStringLiteral("状态")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setShowGrid(true);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

StepWidget::~StepWidget()
{
    emit clearStepSignal();
    delete ui;
}

void StepWidget::addStepRow(const QString &operation, const QString &parameters, const int &range)
{
    QTableWidget *table = ui->tableWidget_step;
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, Operation, centredItem(operation));
    table->setItem(row, Parameters, centredItem(parameters));
    table->setItem(row, Range, centredItem(rangeText(range)));
    table->setItem(row, State, centredItem(QStringLiteral("未执行")));

    auto *cell = new QWidget;
    auto *layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *tick = new QCheckBox(cell);
    tick->setChecked(true);
    layout->addWidget(tick, 0, Qt::AlignCenter);
    table->setCellWidget(row, Tick, cell);
}

bool StepWidget::isTicked(int row) const
{
    const QWidget *cell = ui->tableWidget_step->cellWidget(row, Tick);
    const QCheckBox *tick = cell ? cell->findChild<QCheckBox *>() : nullptr;
    return tick && tick->isChecked();
}

void StepWidget::setRowLook(int row, bool run)
{
    QTableWidget *table = ui->tableWidget_step;
    const QBrush background(run ? Qt::gray : Qt::white);
    for (int column : kTextColumns) {
        if (QTableWidgetItem *item = table->item(row, column))
            item->setBackground(background);
    }
    if (QWidget *cell = table->cellWidget(row, Tick))
        cell->setStyleSheet(run ? QStringLiteral("background-color: gray;")
                                : QStringLiteral("background-color: white;"));
    if (QTableWidgetItem *state = table->item(row, State))
        state->setText(run ? QStringLiteral("已执行") : QStringLiteral("未执行"));
}

bool StepWidget::startFrom(int first)
{
    for (int row = first; row <= mEndStep; ++row) {
        if (!isTicked(row))
            continue;
        mCurStep = row;
        emitTip(this, Tip::StepStarted, QString::number(row));
        emit starStepSignal(row);
        return true;
    }
    return false;
}

void StepWidget::on_pushButton_add_clicked()
{
    emit addStepSignal();
}

void StepWidget::on_pushButton_clear_clicked()
{
    ui->tableWidget_step->setRowCount(0);
    emit clearStepSignal();
}

void StepWidget::on_pushButton_star_clicked()
{
    const int count = ui->tableWidget_step->rowCount();
    if (count == 0) {
        emitTip(this, Tip::NoStepsAdded);
        return;
    }
    on_pushButton_recovery_clicked();
    if (ui->radioButton_all->isChecked()) {
        mBeginStep = 0;
        mEndStep = count - 1;
    }
    if (ui->radioButton_range->isChecked()) {
        mBeginStep = rowFromField(ui->lineEdit_begin->text());
        mEndStep = rowFromField(ui->lineEdit_end->text());
        if (mBeginStep < 0 || mEndStep >= count || mEndStep < mBeginStep) {
            emitTip(this, Tip::ParametersInvalid);
            return;
        }
    }
    startFrom(mBeginStep);
}

void StepWidget::onStepDone()
{
    emitTip(this, Tip::StepFinished, QString::number(mCurStep));
    setRowLook(mCurStep, true);
    if (startFrom(mCurStep + 1))
        return;
    emitTip(this, Tip::AllStepsDone);
    emit allStepDoneSignal();
    mBeginStep = 0;
    mEndStep = 0;
    mCurStep = 0;
}

void StepWidget::on_radioButton_range_toggled(bool checked)
{
    ui->lineEdit_begin->setEnabled(checked);
    ui->lineEdit_end->setEnabled(checked);
}

QList<int> StepWidget::removalOrder(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void StepWidget::on_pushButton_remove_clicked()
{
    QTableWidget *table = ui->tableWidget_step;
    if (table->rowCount() == 0) {
        emitTip(this, Tip::NoStepsToRemove);
        return;
    }
    QList<int> rows;
    const QModelIndexList selected = table->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : selected) {
        if (index.column() == Operation)
            rows.append(index.row());
    }
    if (rows.isEmpty()) {
        emitTip(this, Tip::NoStepChosenToRemove);
        return;
    }
    // The selection model lists rows in the order they were picked.
    rows = removalOrder(rows);
    for (int i = rows.size() - 1; i >= 0; --i)
        table->removeRow(rows.at(i));
    table->clearSelection();
    emit removeSignal(rows);
}

void StepWidget::on_pushButton_recovery_clicked()
{
    for (int row = 0; row < ui->tableWidget_step->rowCount(); ++row)
        setRowLook(row, false);
}
