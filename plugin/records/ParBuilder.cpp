#include "records/ParBuilder.h"

#include "records/ParAdd.h"
#include "records/ParChar.h"
#include "records/ParCode.h"
#include "records/ParReplaced.h"
#include "records/ParRetain.h"
#include "records/ParSpace.h"
#include "records/ParTo.h"
#include "ui_WidgetTextOption.h"

#include <QTextBlock>
#include <QTextDocument>

#include <memory>

namespace {

QString cellText(const QTableWidget *table, int row, int column)
{
    if (column < 0) {
        return QString();
    }
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

QString lineOf(const QPlainTextEdit *box, int line)
{
    const QTextDocument *document = box->document();
    return line < document->blockCount() ? document->findBlockByNumber(line).text() : QString();
}

// The chooser lists the algorithms in enumeration order with one divider
// after TripleDes.
const int codeDividerIndex = 8;

TextCode::Option codeOption(int comboIndex)
{
    if (comboIndex < codeDividerIndex) {
        return static_cast<TextCode::Option>(comboIndex);
    }
    if (comboIndex == codeDividerIndex) {
        // Outside the enumeration: the operation then changes nothing.
        return static_cast<TextCode::Option>(-1);
    }
    return static_cast<TextCode::Option>(comboIndex - 1);
}

// Every key of keyText, split at the separator with empty parts dropped,
// paired with the one replacement.
void appendPairs(ParReplaced &par, const QString &keyText, const QString &separator,
                 const QString &replacement)
{
    const QStringList keys = keyText.split(separator, Qt::SkipEmptyParts);
    for (const QString &key : keys) {
        par.pairs.append(qMakePair(key, replacement));
    }
}

void dropEmptyKeys(QStringList &from, QStringList &to)
{
    for (int i = from.size() - 1; i >= 0; --i) {
        if (from.at(i).isEmpty()) {
            from.removeAt(i);
            to.removeAt(i);
        }
    }
}

// A list line with nothing to find would make the operation insert its
// partner between every two characters of every cell. Which side finds is
// only settled once the lists are in the direction they are applied.
void dropEmptyKeys(ParTo &par)
{
    dropEmptyKeys(par.fromList, par.toList);
    dropEmptyKeys(par.newOneList, par.oldOneList);
    dropEmptyKeys(par.customBefore, par.customAfter);
}

} // namespace

ParBuilder::ParBuilder(const Ui::WidgetTextOption *ui, const QString &dataPath, QObject *parent)
    : QObject(parent), ui(ui), m_lists(dataPath)
{
}

QString ParBuilder::sheetIndex() const
{
    return ui->comboBox_page->currentText();
}

bool ParBuilder::keyLines(QStringList &lines) const
{
    const QTextDocument *document = ui->plainTextEdit_replacedKey->document();
    if (document->isEmpty()) {
        return false;
    }
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty()) {
            return false;
        }
        lines.append(block.text());
    }
    return true;
}

void ParBuilder::readSearchOptions(ParReplaced &par) const
{
    par.byKey = ui->radioButton_key->isChecked();
    if (par.byKey) {
        par.matchCase = ui->checkBox_matchCase->isChecked();
        par.lookAt = ui->checkBox_lookAt->isChecked() ? 1 : 2;
        par.searchOrder = ui->comboBox_searchOrder->currentIndex() + 1;
    }
}

ParReplaced *ParBuilder::getParReplaced() const
{
    QStringList lines;
    if (!keyLines(lines)) {
        return nullptr;
    }
    auto par = std::make_unique<ParReplaced>();
    const QString separator = ui->lineEdit_Separator->text();
    for (int i = 0; i < lines.size(); ++i) {
        appendPairs(*par, lines.at(i), separator, lineOf(ui->plainTextEdit_replaceWith, i));
    }
    readSearchOptions(*par);
    par->sheetIndex = sheetIndex();
    return par.release();
}

ParReplaced *ParBuilder::getParReplaced2(int fileIndex) const
{
    const QTableWidget *table = ui->tableWidget_replaced2;
    if (table->rowCount() == 1 && table->columnCount() == 1) {
        return nullptr;
    }
    auto par = std::make_unique<ParReplaced>();
    const QString separator = ui->lineEdit_Separator->text();
    // The last row is the empty one the table grows on.
    for (int row = 0; row < table->rowCount() - 1; ++row) {
        appendPairs(*par, cellText(table, row, 0), separator, cellText(table, row, fileIndex + 1));
    }
    readSearchOptions(*par);
    par->sheetIndex = sheetIndex();
    return par.release();
}

ParRetain *ParBuilder::getParRetain() const
{
    QStringList lines;
    if (!keyLines(lines)) {
        return nullptr;
    }
    auto par = std::make_unique<ParRetain>();
    par->keys = lines.toVector();
    par->byKey = ui->radioButton_key->isChecked();
    if (par->byKey) {
        par->matchCase = ui->checkBox_matchCase->isChecked();
        par->lookAt = ui->checkBox_lookAt->isChecked();
    }
    par->sheetIndex = sheetIndex();
    return par.release();
}

ParTo *ParBuilder::getParTo()
{
    auto par = std::make_unique<ParTo>();
    if (ui->radioButton_textToCase->isChecked()) {
        par->implement = TextTo::Implement::Case;
        par->caseWhich = static_cast<TextTo::CaseWhich>(ui->comboBox_textToCase->currentIndex());
        par->toCase = ui->radioButton_textToCapital->isChecked() ? TextTo::Case::ToCapital
                                                                 : TextTo::Case::ToLowerCase;
    } else if (ui->radioButton_textToHalfFull->isChecked()) {
        par->implement = TextTo::Implement::Half;
        par->toHalf = ui->radioButton_textToHalf->isChecked();
    } else if (ui->radioButton_textToBase->isChecked()) {
        par->implement = TextTo::Implement::Base;
        par->format1 = ui->radioButton_textToFormat1->isChecked();
        par->baseBefore = ui->comboBox_textToBaseBefore->currentText().toInt();
        par->baseAfter = ui->comboBox_textToBaseAfter->currentText().toInt();
    } else if (ui->radioButton_textToTradition->isChecked()) {
        par->implement = TextTo::Implement::Tradition;
        if (!readTradition(*par)) {
            return nullptr;
        }
    } else if (ui->radioButton_textToCustom->isChecked()) {
        par->implement = TextTo::Implement::Custom;
        if (!readCustom(*par)) {
            return nullptr;
        }
        par->result1 = ui->radioButton_textToResult1->isChecked();
    }
    dropEmptyKeys(*par);
    par->sheetIndex = sheetIndex();
    return par.release();
}

bool ParBuilder::readTradition(ParTo &par)
{
    if (!readPair(WordLists::NewOne, WordLists::OldOne, par.newOneList, par.oldOneList,
                  Tip::ScriptListEmpty, Tip::ScriptListLinesDiffer, false)) {
        return false;
    }
    const int direction = ui->comboBox_textToTradition->currentIndex();
    // The character step always replaces newOneList entries by oldOneList
    // entries; toward the simplified script that has to run the other way.
    if (WordLists::targetScript(direction) == WordLists::Simplified) {
        par.newOneList.swap(par.oldOneList);
    }
    if (WordLists::isTwoStep(direction)) {
        par.twoStep = true;
        const WordLists::ListFile from = WordLists::phraseFile(WordLists::sourceScript(direction));
        const WordLists::ListFile to = WordLists::phraseFile(WordLists::targetScript(direction));
        if (!readPair(from, to, par.fromList, par.toList, Tip::ScriptListEmpty,
                      Tip::ScriptListLinesDiffer, false)) {
            return false;
        }
    }
    return true;
}

bool ParBuilder::readCustom(ParTo &par)
{
    return readPair(WordLists::BeforeCustom, WordLists::AfterCustom, par.customBefore,
                    par.customAfter, Tip::CustomListEmpty, Tip::CustomListLinesDiffer, true);
}

bool ParBuilder::readPair(WordLists::ListFile fromFile, WordLists::ListFile toFile,
                          QStringList &from, QStringList &to, Tip::Pair emptyTip,
                          Tip::Pair countTip, bool bothMustHoldText)
{
    QString fromText;
    QString toText;
    // An unreadable list is reported as a parameter error by the caller.
    if (!m_lists.readText(fromFile, fromText) || !m_lists.readText(toFile, toText)) {
        return false;
    }
    if (fromText.isEmpty() || (bothMustHoldText && toText.isEmpty())) {
        emitTip(this, emptyTip);
        return false;
    }
    from = WordLists::entries(fromText);
    to = WordLists::entries(toText);
    if (from.size() != to.size()) {
        emitTip(this, countTip);
        return false;
    }
    return true;
}

// Passwords that Latin-1 holds keep their Latin-1 bytes, so texts enciphered
// with them before still decipher. Any other password is taken as UTF-8:
// Latin-1 would turn every Chinese character into "?", so that all Chinese
// passwords of one length gave the same key.
namespace {
QByteArray passwordBytes(const QString &password)
{
    for (const QChar c : password) {
        if (c.unicode() > 0xFF)
            return password.toUtf8();
    }
    return password.toLatin1();
}
} // namespace

ParCode *ParBuilder::getParCode() const
{
    auto par = std::make_unique<ParCode>();
    par->encode = ui->radioButton_CodeCode->isChecked();
    par->option = codeOption(ui->comboBox_CodeOption->currentIndex());
    par->password = passwordBytes(ui->plainTextEdit_CodePassword->toPlainText());
    par->sheetIndex = sheetIndex();
    return par.release();
}

ParChar *ParBuilder::getParChar() const
{
    auto par = std::make_unique<ParChar>();
    if (ui->radioButton_charDelete->isChecked()) {
        par->implement = TextChar::Implement::Delete;
        par->text = ui->lineEdit_charDelete->text();
        par->lengthOption =
            static_cast<TextChar::LengthOption>(ui->comboBox_charArrive->currentIndex());
    } else if (ui->radioButton_charRetain->isChecked()) {
        par->implement = TextChar::Implement::Retain;
        par->text = ui->lineEdit_charRetain->text();
    } else {
        par->implement = TextChar::Implement::Increase;
        par->text = ui->plainTextEdit_charIncrease->toPlainText();
    }
    if (par->text.isEmpty()) {
        return nullptr;
    }
    if (ui->radioButton_charRight->isChecked()) {
        par->index = TextChar::Index::Right;
    } else if (ui->radioButton_charPos->isChecked()) {
        par->index = TextChar::Index::Pos;
    } else {
        par->index = TextChar::Index::Left;
    }
    par->pos = ui->lineEdit_charPos->text().toInt();
    par->sheetIndex = sheetIndex();
    return par.release();
}

ParSpace *ParBuilder::getParSpace() const
{
    auto par = std::make_unique<ParSpace>();
    if (ui->radioButton_SpaceRight->isChecked()) {
        par->index = TextSpace::Index::Right;
    } else if (ui->radioButton_SpaceAll->isChecked()) {
        par->index = TextSpace::Index::All;
    } else {
        par->index = TextSpace::Index::Left;
    }
    if (ui->radioButton_SpaceRetain->isChecked()) {
        par->implement = TextSpace::Implement::Retain;
    } else if (ui->radioButton_SpaceFixde->isChecked()) {
        par->implement = TextSpace::Implement::Fixde;
    } else if (ui->radioButton_SpaceDelete->isChecked()) {
        par->implement = TextSpace::Implement::Delete;
    } else {
        par->implement = TextSpace::Implement::Increase;
    }
    par->number = ui->lineEdit_SpaceNumber->text().toInt();
    par->sheetIndex = sheetIndex();
    return par.release();
}

ParAdd *ParBuilder::getParAdd() const
{
    auto par = std::make_unique<ParAdd>();
    par->index =
        ui->radioButton_texAddLeft->isChecked() ? TextAdd::Index::Left : TextAdd::Index::Right;
    par->pos = ui->lineEdit_AddPos->text().toInt();
    par->lengthOption = static_cast<TextAdd::LengthOption>(ui->comboBox_addArrive->currentIndex());
    par->length = ui->lineEdit_AddArrive->text().toInt();
    par->sheetIndex = sheetIndex();
    return par.release();
}
