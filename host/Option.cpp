#include "Option.h"

#include "ReadWriteTxt.h"
#include "Settings.h"
#include "ui_Option.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFontMetrics>
#include <QListWidgetItem>
#include <QPlainTextEdit>
#include <QStringList>
#include <QStyle>
#include <QTextBlock>
#include <QtMath>

namespace {

// The options window's own list, which has never held "*.c"; the dialogs
// fall back to DialogFilter's lists instead.
QString defaultSuffixes()
{
    return QStringLiteral("txt(*.txt)\nxml(*.xml)\njson(*.json)\nhtml(*.html  *.css "
                          "*.js)\nsource(*.h *.cpp *.hpp *.py)\ncsv(*.csv)\nsvg(*.svg)\nAll(*.*)");
}

bool isSet(const QString &flag)
{
    return flag.toInt() != 0;
}

QString flagText(bool set)
{
    return set ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

Option::Option(QWidget *parent) : QWidget(parent), ui(new Ui::Option)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("选项"));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags((windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                      Qt::WindowContextHelpButtonHint | Qt::WindowType_Mask)) |
                   Qt::Dialog);

    // The count the program starts with: without the key that is one list,
    // and saving the window unchanged must keep it so.
    ui->lineEdit_listNumber->setText(readSetting(configureFile(), QStringLiteral("start"),
                                                 QStringLiteral("listNumber"),
                                                 QStringLiteral("1")));
    ui->comboBox_close->setCurrentIndex(readSetting(configureFile(), QStringLiteral("currency"),
                                                    QStringLiteral("close"), QStringLiteral("0"))
                                            .toInt());
    // The plug-in's own default: the data folder under the working folder. A
    // bare "/data/" would name a folder at the root of the file system, and a
    // save with the defaults would send the word lists there.
    ui->lineEdit_iniPath->setText(readSetting(configureFile(), QStringLiteral("currency"),
                                              QStringLiteral("iniPath"),
                                              QDir::currentPath() + QStringLiteral("/data/")));
    ui->comboBox_code->setCurrentText(readSetting(configureFile(), QStringLiteral("text"),
                                                  QStringLiteral("code"), QStringLiteral("UTF-8")));

    QString suffixes;
    g_readWriteTxt.readTxt(suffixFile(), suffixes);
    ui->plainTextEdit_suffix->setPlainText(suffixes.isEmpty() ? defaultSuffixes() : suffixes);
    fitSuffixBox();

    ui->checkBox_firstSaveToList->setChecked(
        isSet(readSetting(configureFile(), QStringLiteral("text"),
                          QStringLiteral("firstSaveToList"), QStringLiteral("1"))));
    ui->comboBox_drop->setCurrentIndex(readSetting(configureFile(), QStringLiteral("text"),
                                                   QStringLiteral("drop"), QStringLiteral("0"))
                                           .toInt());
    ui->checkBox_add->setChecked(isSet(readSetting(configureFile(), QStringLiteral("new"),
                                                   QStringLiteral("add"), QStringLiteral("1"))));

    loadPlugins();
}

Option::~Option()
{
    delete ui;
}

void Option::fitSuffixBox()
{
    // One filter a line: wrapped, a line is cut in the middle of a pattern
    // and reads as two filters. The box takes the width and, up to a dozen
    // of lines, the height of what it shows; a longer list scrolls.
    const int maxWidth = 640;
    const int maxLines = 12;
    QPlainTextEdit *box = ui->plainTextEdit_suffix;
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(box->font());
    QAbstractTextDocumentLayout *layout = box->document()->documentLayout();
    int widest = 0;
    qreal height = 0;
    int lines = 0;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        widest = qMax(widest, metrics.horizontalAdvance(block.text()));
        if (++lines <= maxLines)
            height += layout->blockBoundingRect(block).height();
    }
    // The document's margin on both sides, the frame, and the scroll bars that
    // may come.
    const int edges = 2 * qCeil(box->document()->documentMargin()) + 2 * box->frameWidth();
    const int scrollBar = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    box->setMinimumWidth(qMin(widest + 1, maxWidth) + edges + scrollBar);
    box->setMinimumHeight(qCeil(height) + edges + scrollBar);
}

void Option::loadPlugins()
{
    QString table;
    g_readWriteTxt.readTxt(plusFile(), table);
    if (table.isEmpty())
        return;
    const QStringList lines = table.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        // A line without a comma is kept whole and unticked, so saving
        // writes it back as a plug-in that does not start with the program.
        const QStringList parts = line.split(QLatin1Char(','));
        auto *item = new QListWidgetItem(parts.at(0), ui->listWidget);
        const bool starts = parts.size() > 1 && parts.at(1) == QLatin1String("2");
        item->setCheckState(starts ? Qt::Checked : Qt::Unchecked);
    }
}

QString Option::pluginTable() const
{
    QStringList lines;
    for (int row = 0; row < ui->listWidget->count(); ++row) {
        const QListWidgetItem *item = ui->listWidget->item(row);
        lines << item->text() + (item->checkState() == Qt::Checked ? QStringLiteral(",2")
                                                                   : QStringLiteral(",0"));
    }
    return lines.join(QLatin1Char('\n'));
}

void Option::on_pushButton_save_clicked()
{
    writeSetting(configureFile(), QStringLiteral("start"), QStringLiteral("listNumber"),
                 ui->lineEdit_listNumber->text());
    writeSetting(configureFile(), QStringLiteral("currency"), QStringLiteral("close"),
                 QString::number(ui->comboBox_close->currentIndex()));
    writeSetting(configureFile(), QStringLiteral("currency"), QStringLiteral("iniPath"),
                 ui->lineEdit_iniPath->text());
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("code"),
                 ui->comboBox_code->currentText());
    applyCodecSetting(ui->comboBox_code->currentText());
    g_readWriteTxt.writeTxt(suffixFile(), ui->plainTextEdit_suffix->toPlainText());
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("firstSaveToList"),
                 flagText(ui->checkBox_firstSaveToList->isChecked()));
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("drop"),
                 QString::number(ui->comboBox_drop->currentIndex()));
    writeSetting(configureFile(), QStringLiteral("new"), QStringLiteral("add"),
                 flagText(ui->checkBox_add->isChecked()));
    g_readWriteTxt.writeTxt(plusFile(), pluginTable());
    emit optionSignal();
    close();
}
