#include "Wendral.h"

#include "WidgetText.h"
#include "WidgetTextOption.h"

#include <QCoreApplication>
#include <QDockWidget>

Wendral::Wendral()
    : QObject(nullptr)
    , mName(QStringLiteral("Text"))
    , mVersion(QStringLiteral("V") + QCoreApplication::applicationVersion())
    , mExplainFormat(QStringLiteral("<b>%1</b><br>%2"))
{
    mTextInfo = {{
        {QStringLiteral("字符处理:替换1"),
         QStringLiteral("将指定文本文件相同的关键字替换为【相同】的内容")},
        {QStringLiteral("字符处理:替换2"),
         QStringLiteral("将指定文本文件相同的关键字替换为【不同】的内容")},
        {QStringLiteral("字符处理:保留"), QStringLiteral("保留符合正则表达式的文本内容")},
        {QStringLiteral("字符处理:删除"), QStringLiteral("删除指定或符合正则表达式的文本内容")},
        {QStringLiteral("字符处理:转换"),
         QStringLiteral("支持大小写、全半角、进制、繁简体等转换方式")},
        {QStringLiteral("字符处理:编解码"),
         QStringLiteral("支持BASIC、 Hex、AES_128、 ASCII、DES、Rabbit、RC4、TripleDes、"
                        "Keccak_224、Keccak_256、Keccak_384、Keccak_512、RealSha3_224、"
                        "RealSha3_256、RealSha3_384、RealSha3_512、Md4、Md5、Sha1、Sha224、"
                        "Sha256、Sha384、Sha512等编解码方式")},
        {QStringLiteral("字符处理:字符"), QStringLiteral("增加指定字符或删除、保留指定长度")},
        {QStringLiteral("字符处理:空格"), QStringLiteral("支持在段首或段尾设置空格数量")},
        {QStringLiteral("字符处理:追加"), QStringLiteral("追加段落已有文本内容")},
        {QStringLiteral("字符处理:减去"), QString()},
    }};

    QStringList explanations;
    for (int index = Replaced; index <= Subtract; ++index)
        explanations << explainOf(static_cast<Enum_TextIndex>(index));
    mExplainAll = explanations.join(QStringLiteral("<br>"));
}

// The panels belong to the host's windows; they are not ours to delete.
Wendral::~Wendral() = default;

void Wendral::setFaceEnabled(bool enabled)
{
    if (mWidgetText)
        mWidgetText->setEnabled(enabled);
    if (mWidgetTextOption)
        mWidgetTextOption->setEnabled(enabled);
}

void Wendral::setHarlithFace(HarlithFace *peer)
{
    g_hostFace = peer;
}

QString Wendral::plusVersion()
{
    return mVersion;
}

QString Wendral::plusName()
{
    return mName;
}

QString Wendral::explainOf(Enum_TextIndex index) const
{
    if (index < Replaced || index > Subtract)
        return QString();
    const QStringList &info = mTextInfo[index - 1];
    return mExplainFormat.arg(info.at(0), info.at(1));
}

QString Wendral::curTextExplain() const
{
    if (g_curTextIndex == Explain)
        return mExplainAll;
    return explainOf(g_curTextIndex);
}

bool Wendral::showPlus(int x, int y)
{
    // A host that never bound us has nowhere to put a panel.
    if (!g_hostFace)
        return false;

    bool shown = false;
    if (!mWidgetText) {
        mWidgetText = new WidgetText(this, g_hostFace->mainWidget());
        connect(mWidgetText, &WidgetEx::closedSignal, this, &Wendral::onPanelClosed);
        connect(mWidgetText, &WidgetEx::activateSignal, this, &Wendral::onPanelActivated);
        connect(mWidgetText, &WidgetText::curTextSignal, this, &Wendral::onCurTextChanged);
        connect(mWidgetText, &WidgetText::rangeSignal, this, &Wendral::onRangeChanged);
        mWidgetText->move(x, y);
        mWidgetText->show();
        shown = true;
    }
    mWidgetText->activateWindow();
    g_hostFace->explain(curTextExplain());
    g_hostFace->sendTip(11, 12, mName + QStringLiteral(" ") + mVersion);
    return shown;
}

void Wendral::onPanelActivated()
{
    g_hostFace->setHarlithFace(this);
    g_hostFace->explain(curTextExplain());

    // The host has one options dock for every plug-in; an options panel of
    // ours that another plug-in pushed out is stale.
    if (g_hostFace->getHarlithFaceName() != mName && mWidgetTextOption) {
        delete mWidgetTextOption;
        mWidgetTextOption = nullptr;
    }

    if (!mWidgetTextOption) {
        mWidgetTextOption = new WidgetTextOption(mExplainAll);
        if (mWidgetText)
            connect(mWidgetText, &WidgetText::rep2RangeSignal, mWidgetTextOption,
                    &WidgetTextOption::rep2RangeSlot);
        connect(mWidgetTextOption, &WidgetTextOption::tipSignal, this, &Wendral::forwardTip);
    }

    QDockWidget *dock = g_hostFace->createPlusDock(mName);
    if (!dock)
        return;
    dock->setWidget(mWidgetTextOption);
    dock->setFixedSize(mWidgetTextOption->width(), dock->height());
    dock->show();
}

void Wendral::onCurTextChanged(Enum_TextIndex index)
{
    g_hostFace->explain(curTextExplain());
    if (mWidgetTextOption) {
        mWidgetTextOption->activateWindow();
        mWidgetTextOption->curTextSlot(index);
    }
}

void Wendral::onRangeChanged(Enum_Range range)
{
    g_hostFace->setRangeLabel(range);
}

void Wendral::onPanelClosed()
{
    g_hostFace->sendTip(11, 13, mName + QStringLiteral(" ") + mVersion);
    g_hostFace->setRangeLabel(0);
    // The closed panel stays a hidden child of the host's window; the next
    // showPlus builds a fresh one.
    mWidgetText = nullptr;
    if (mWidgetTextOption) {
        // The dock is hidden only while it shows our options: once another
        // plug-in has put its own panel in, the dock is that plug-in's.
        QWidget *parent = mWidgetTextOption->parentWidget();
        auto *dock = qobject_cast<QDockWidget *>(parent);
        if (parent && (!dock || dock->widget() == mWidgetTextOption))
            parent->hide();
        delete mWidgetTextOption;
        mWidgetTextOption = nullptr;
    }
    g_curTextIndex = Explain;
}

void Wendral::forwardTip(int var1, int var2, QString tipText)
{
    g_hostFace->sendTip(var1, var2, tipText);
}
