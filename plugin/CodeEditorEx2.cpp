#include "CodeEditorEx2.h"

#include "CodeEditor.h"
#include "HarlithFace.h"
#include "PaneText.h"
#include "PluginGlobals.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {

QPointer<CodeEditorEx2> &instance()
{
    static QPointer<CodeEditorEx2> editor;
    return editor;
}

} // namespace

CodeEditorEx2::CodeEditorEx2(QWidget *parent)
    : QWidget(parent)
    , mLeftLabel(new QLabel)
    , mLeftEditor(new CodeEditor)
    , mRightLabel(new QLabel)
    , mRightEditor(new CodeEditor)
    , mSwapButton(new QPushButton(QStringLiteral("←\n→")))
    , mClearButton(new QPushButton(QStringLiteral("清空")))
    , mLeftText(new PaneText(mLeftEditor))
    , mRightText(new PaneText(mRightEditor))
{
    mLeftLabel->setObjectName(QStringLiteral("mLeftLabel"));
    mLeftEditor->setObjectName(QStringLiteral("mLeftEditor"));
    mRightLabel->setObjectName(QStringLiteral("mRightLabel"));
    mRightEditor->setObjectName(QStringLiteral("mRightEditor"));
    mSwapButton->setObjectName(QStringLiteral("mSwapButton"));
    mClearButton->setObjectName(QStringLiteral("mClearButton"));
    mSwapButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    mClearButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    connect(mLeftEditor, &QPlainTextEdit::textChanged, this, [this] { markChanged(&mLeftEdited); });
    connect(mRightEditor, &QPlainTextEdit::textChanged, this,
            [this] { markChanged(&mRightEdited); });
    connect(mSwapButton, &QPushButton::clicked, this, &CodeEditorEx2::swapTexts);
    connect(mClearButton, &QPushButton::clicked, this, &CodeEditorEx2::clearTexts);

    auto *layout = new QGridLayout(this);
    layout->addWidget(mLeftLabel, 0, 0);
    layout->addWidget(mLeftEditor, 1, 0, 2, 1);
    layout->addWidget(mSwapButton, 1, 1);
    layout->addWidget(mClearButton, 2, 1);
    layout->addWidget(mRightLabel, 0, 2);
    layout->addWidget(mRightEditor, 1, 2, 2, 1);
    layout->setHorizontalSpacing(2);
    layout->setVerticalSpacing(2);
    layout->setContentsMargins(2, 2, 2, 2);
    // Room for a few dozen list lines in each pane.
    resize(600, 480);
}

CodeEditorEx2::~CodeEditorEx2()
{
    // The window goes with the host's main window at exit; edits still open
    // then would otherwise be lost without a word. No tip: the host is
    // going away with its window.
    if (!mMark.isEmpty()) {
        writeChanged();
    }
}

CodeEditorEx2 *CodeEditorEx2::showEditor(const QString &title, const QString &leftCaption,
                                         const QString &leftPath, const QString &rightCaption,
                                         const QString &rightPath, QWidget *parent)
{
    QPointer<CodeEditorEx2> &editor = instance();
    if (!editor) {
        // The caller's panel is deleted whenever the operation panel closes,
        // so the window belongs to the host's main window, which lasts.
        QWidget *owner = g_hostFace ? g_hostFace->mainWidget() : nullptr;
        Q_UNUSED(parent);
        editor = new CodeEditorEx2(owner);
        editor->setWindowFlag(Qt::Dialog);
        if (!owner) {
            // Nothing else owns it: it must neither keep the program running
            // nor outlive the application object.
            editor->setAttribute(Qt::WA_QuitOnClose, false);
            QObject::connect(qApp, &QCoreApplication::aboutToQuit, editor.data(),
                             [] { delete instance(); });
        }
    }
    editor->loadTexts(title, leftCaption, leftPath, rightCaption, rightPath);
    editor->raise();
    editor->show();
    return editor;
}

void CodeEditorEx2::loadTexts(const QString &title, const QString &leftCaption,
                              const QString &leftPath, const QString &rightCaption,
                              const QString &rightPath)
{
    if (!mMark.isEmpty() && !saveTexts())
        return;
    mTitle = title;
    mLeftCaption = leftCaption;
    mLeftPath = leftPath;
    mRightCaption = rightCaption;
    mRightPath = rightPath;
    mLeftLabel->setText(mLeftCaption);
    mRightLabel->setText(mRightCaption);
    mLeftFile.read(mLeftPath);
    mRightFile.read(mRightPath);
    mLoading = true;
    mLeftText->setText(mLeftFile.text());
    mRightText->setText(mRightFile.text());
    mLoading = false;
    mLeftEdited = false;
    mRightEdited = false;
    mMark.clear();
    updateTitle();
}

bool CodeEditorEx2::saveTexts()
{
    const QStringList failed = writeChanged();
    for (const QString &path : failed) {
        if (g_hostFace)
            g_hostFace->sendTip(Tip::FileSaveFailed, path);
    }
    if (!failed.isEmpty())
        return false;
    mMark.clear();
    updateTitle();
    return true;
}

QStringList CodeEditorEx2::writeChanged()
{
    QStringList failed;
    if (mLeftEdited && !mLeftFile.write(mLeftPath, mLeftText->text()))
        failed << mLeftPath;
    else
        mLeftEdited = false;
    if (mRightEdited && !mRightFile.write(mRightPath, mRightText->text()))
        failed << mRightPath;
    else
        mRightEdited = false;
    return failed;
}

void CodeEditorEx2::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers().testFlag(Qt::ControlModifier) && event->key() == Qt::Key_S) {
        saveTexts();
        return;
    }
    event->ignore();
}

void CodeEditorEx2::closeEvent(QCloseEvent *event)
{
    if (!mMark.isEmpty() && !saveTexts()) {
        event->ignore();
        return;
    }
    event->accept();
}

void CodeEditorEx2::markChanged(bool *edited)
{
    if (mLoading)
        return;
    *edited = true;
    mMark = QStringLiteral("*");
    updateTitle();
}

void CodeEditorEx2::swapTexts()
{
    const QString left = mLeftText->text();
    mLeftText->setText(mRightText->text());
    mRightText->setText(left);
}

void CodeEditorEx2::clearTexts()
{
    mLeftText->setText(QString());
    mRightText->setText(QString());
}

void CodeEditorEx2::updateTitle()
{
    setWindowTitle(mMark + mTitle);
}
