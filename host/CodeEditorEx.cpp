#include "CodeEditorEx.h"

#include "DialogFilter.h"
#include "PaneText.h"
#include "ReadWriteTxt.h"
#include "Tip.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QWheelEvent>

CodeEditorEx::CodeEditorEx(int tableID, int codeID, const QString &path, QWidget *parent)
    : CodeEditor(parent)
    , m_tableID(tableID)
    , codeID(codeID)
    , m_path(path)
    , m_text(new PaneText(this))
{
    if (!m_path.isEmpty()) {
        readFile();
    } else {
        m_mark = QStringLiteral("*");
    }
    m_fileName = QFileInfo(m_path).fileName();
    updateTitle();

    connect(this, &CodeEditorEx::textChanged, this, &CodeEditorEx::onTextChanged);
}

CodeEditorEx::~CodeEditorEx()
{
    // Deleted without a close first (the host going down), the document can
    // only try its save: there is no way left to stay open.
    if (!m_mark.isEmpty() && !m_closeAnswered && userWantsSave())
        save(-1);
    emit destroySignal(codeID);
}

namespace {

// A question with the buttons 是 and 否: true when the user answered 是.
bool askYes(const QString &title, const QString &text)
{
    QMessageBox box;
    box.setWindowTitle(title);
    box.setText(text);
    QPushButton *yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace

bool CodeEditorEx::userWantsSave()
{
    const bool saveIt =
        askYes(QStringLiteral("是否保存"), QStringLiteral("当前文件没有保存,是否进行保存操作？"));
    qDebug() << "save before close:" << (saveIt ? "是" : "否");
    return saveIt;
}

bool CodeEditorEx::keepsChangedFile()
{
    // A run over the document's list, or another program, may have written
    // the file while the document held its edits: writing them now would
    // silently undo that work.
    const DiskStamp now = DiskStamp::of(m_path);
    if (!now.exists() || now == m_diskStamp)
        return false;
    const bool overwrite =
        askYes(QStringLiteral("是否覆盖"), QStringLiteral("当前文件在磁盘上已被修改,是否覆盖？"));
    qDebug() << "overwrite changed file:" << (overwrite ? "是" : "否");
    return !overwrite;
}

bool CodeEditorEx::askToClose()
{
    if (m_mark.isEmpty() || m_closeAnswered)
        return true;
    if (userWantsSave())
        return save(-1);
    m_closeAnswered = true;
    return true;
}

void CodeEditorEx::closeEvent(QCloseEvent *event)
{
    if (askToClose())
        event->accept();
    else
        event->ignore();
}

void CodeEditorEx::updateTitle()
{
    if (m_tableID == -1)
        setWindowTitle(m_mark);
    else
        setWindowTitle(m_mark + QString::number(m_tableID) + QLatin1Char('_') + m_fileName);
}

void CodeEditorEx::readFile()
{
    // Taken before the read: a write that comes during it is one the
    // document has not seen.
    m_diskStamp = DiskStamp::of(m_path);
    bool lossless = true;
    g_readWriteTxt.readTxt(m_path, m_savedText, lossless);
    m_undecodable = !lossless;
    m_text->setText(m_savedText);
}

void CodeEditorEx::onTextChanged()
{
    // Undoing back to the saved text keeps the mark: only a save or a reload
    // clears it.
    if (toPlainText() != m_savedText) {
        m_mark = QStringLiteral("*");
        updateTitle();
    }
}

bool CodeEditorEx::save(int tableID)
{
    if (m_tableID == -1) {
        if (tableID < 1)
            qDebug() << "save m_tableID tableID all is -1";
        else
            m_tableID = tableID;
    }

    // A clean document holds what its file holds, so there is nothing to
    // write. Writing it anyway could only do harm: a workbook or a file in
    // another code page does not come back through the codec as it was read.
    // The rest of a save still happens: title, list and tip.
    const bool unchanged = m_mark.isEmpty() && QFileInfo(m_path).isFile();

    // Bytes the encoding could not decode show as replacement characters;
    // writing them back would destroy the file's text for good. The file
    // stays as it is, to be reopened in the encoding it was written in.
    if (!unchanged && m_undecodable && QFileInfo::exists(m_path)) {
        emitTip(this, Tip::FileSaveFailed);
        return false;
    }

    if (!unchanged && !m_path.isEmpty() && keepsChangedFile()) {
        emitTip(this, Tip::FileSaveFailed);
        return false;
    }

    if (m_path.isEmpty()) {
        m_path = QFileDialog::getSaveFileName(
            this, QStringLiteral("选择保存目录:"), QStringLiteral("./新建文本文档.txt"),
            DialogFilter::fromSuffixFile(DialogFilter::textFilter()));
    }

    bool written = unchanged;
    if (!unchanged) {
        // Written with the no-break spaces, lone carriage returns and line
        // separators the editor shows as other characters, where no edit
        // touched them.
        m_savedText = toPlainText();
        written = !m_path.isEmpty() && g_readWriteTxt.writeTxt(m_path, m_text->text());
        if (written)
            m_diskStamp = DiskStamp::of(m_path);
    }
    if (written) {
        m_mark.clear();
        setWindowTitle(QString::number(m_tableID) + QLatin1Char('_') + m_path);
        emit addToListSignal(m_tableID, codeID, m_path);
        emitTip(this, Tip::FileSaved);
    } else {
        emitTip(this, Tip::FileSaveFailed);
    }
    return written;
}

void CodeEditorEx::wheelEvent(QWheelEvent *event)
{
    if (QApplication::keyboardModifiers() == Qt::ControlModifier) {
        if (event->angleDelta().y() > 0)
            zoomIn(1);
        else
            zoomOut(1);
        event->accept();
        return;
    }
    CodeEditor::wheelEvent(event);
}

void CodeEditorEx::keyPressEvent(QKeyEvent *event)
{
    CodeEditor::keyPressEvent(event);
}

void CodeEditorEx::keyReleaseEvent(QKeyEvent *event)
{
    CodeEditor::keyReleaseEvent(event);
}

void CodeEditorEx::focusInEvent(QFocusEvent *event)
{
    emit windowActivateSignal();
    // A clean document follows the file on disk, which another program may
    // have changed meanwhile.
    if (!m_path.isEmpty() && m_mark.isEmpty())
        reloadFromDisk();
    CodeEditor::focusInEvent(event);
}

void CodeEditorEx::reloadIfChangedOnDisk()
{
    if (!m_path.isEmpty() && m_mark.isEmpty() && DiskStamp::of(m_path) != m_diskStamp)
        reloadFromDisk();
}

void CodeEditorEx::reloadFromDisk()
{
    readFile();
    // The editor shows a lone carriage return, a no-break space or a line
    // separator as another character, which is no edit: what it shows now is
    // the file, clean.
    m_savedText = toPlainText();
    if (!m_mark.isEmpty()) {
        m_mark.clear();
        updateTitle();
    }
}

void CodeEditorEx::dropEvent(QDropEvent *event)
{
    if (m_dropMode == 1) {
        CodeEditor::dropEvent(event);
        return;
    }

    // The drag has ended either way: let the base take down its drop caret.
    QDragLeaveEvent leave;
    CodeEditor::dragLeaveEvent(&leave);

    if (m_dropMode != 0 || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }

    QStringList texts;
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls) {
        // Each file starts from nothing, so one that cannot be read adds an
        // empty text rather than repeating the file before it.
        QString text;
        g_readWriteTxt.readTxt(url.toLocalFile(), text);
        texts.append(text);
    }
    setPlainText(texts.join(QLatin1Char('\n')));
    event->acceptProposedAction();
}
