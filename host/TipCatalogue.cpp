#include "TipCatalogue.h"

#include "Tip.h"

namespace {

using Form = TipCatalogue::Form;
using Entry = TipCatalogue::Entry;

Entry full(const QString &text)
{
    return {Form::Full, text};
}

Entry unknown(int code)
{
    return full(QStringLiteral(" <b><font color='#FF0000'>未知错误</font></b>代码") +
                QString::number(code) + QStringLiteral("</p>"));
}

Entry files(int var2)
{
    switch (var2) {
    case Tip::FileNotFound.var2:
        return full(QStringLiteral(" <b><font color='#FF0000'>没有发现</font></b>该文件</p>"));
    case Tip::FileUnreadable.var2:
        return full(QStringLiteral("该文件<b><font color='#FF0000'>不可读</font></b></p>"));
    case Tip::FileUnwritable.var2:
        return full(QStringLiteral(" 该文件<b><font color='#FF0000'>不可写</font></b></p>"));
    case Tip::FileSaveFailed.var2:
        return full(QStringLiteral(" 文件保存<b><font color='#FF0000'>失败</font></b></p>"));
    case Tip::FileSaved.var2:
        return full(QStringLiteral(" 文件保存<b>成功</b></p>"));
    case Tip::NoFilesToProcess.var2:
        return full(QStringLiteral(" <font color='#FF0000'>没有</font>需要处理的文件请添加</p>"));
    case Tip::FileExists.var2:
        return full(QStringLiteral(" 该文件<b><font color='#FF0000'>已存在</font></b></p>"));
    case Tip::FileRenamed.var2:
        return full(QStringLiteral(" 文件重命名成功</p>"));
    case Tip::FileRenameFailed.var2:
        return full(QStringLiteral(" 文件重命名<b><font color='#FF0000'>失败</font></b></p>"));
    case Tip::FolderMissing.var2:
        return full(QStringLiteral(" 目录<b><font color='#FF0000'>不存在</font></b></p>"));
    case Tip::OfficeMissing.var2:
        return full(QStringLiteral(
            " OFFICE或WPS<b><font color='#FF0000'>没有安装</font></b>，需要安装OFFICE或WPS</p>"));
    default:
        return unknown(0);
    }
}

Entry fileLists(int var2)
{
    switch (var2) {
    case Tip::FileListEmpty.var2:
        return full(QStringLiteral(" 文件列表为<b><font color='#FF0000'>空</font></b></p>"));
    case Tip::FileListAEmpty.var2:
        return full(QStringLiteral(" 文件列表A为<b><font color='#FF0000'>空</font></b></p>"));
    case Tip::FileListBEmpty.var2:
        return full(QStringLiteral(" 文件列表B为<b><font color='#FF0000'>空</font></b></p>"));
    default:
        return unknown(10);
    }
}

Entry plugins(int var2)
{
    switch (var2) {
    case Tip::PluginLoaded.var2:
        return full(QStringLiteral(" 加载插件<b>成功</b></p>"));
    case Tip::PluginOpened.var2:
        return full(QStringLiteral(" 插件打开</p>"));
    case Tip::PluginClosed.var2:
        return full(QStringLiteral(" 插件关闭</p>"));
    case Tip::NoPluginOpen.var2:
        return full(QStringLiteral(" 没有打开任何插件工具,请打开需要的插件功能</p>"));
    default:
        // Shares its text with the replace-key category, code 7 included.
        return unknown(7);
    }
}

Entry wordLists(int var2)
{
    switch (var2) {
    case Tip::ScriptListLinesDiffer.var2:
        return full(QStringLiteral(" 繁简转换:替换相关配置行数<b><font "
                                   "color='#FF0000'>不一致</font></b>请【编辑对应转换文档】</p>"));
    case Tip::CustomListLinesDiffer.var2:
        return full(QStringLiteral(" 自定义转换:替换相关配置行数<b><font "
                                   "color='#FF0000'>不一致</font></b>请【编辑对应替换文档】</p>"));
    case Tip::ScriptListEmpty.var2:
        return full(QStringLiteral(
            " 繁简转换:替换相关配置文件没有内容,请添加(每行一个)请【编辑对应转换文档】</p>"));
    case Tip::CustomListEmpty.var2:
        return full(QStringLiteral(
            " 自定义转换:替换相关配置文件没有替换内容,请添加(每行一个)请【编辑对应替换文档】</p>"));
    case Tip::RegionListsAreSamples.var2:
        return full(
            QStringLiteral(" 繁简转换:大陆、香港、台湾转换这里仅做了词组示例,请自行补充添加</p>"));
    default:
        return unknown(1);
    }
}

Entry threads(int var2)
{
    switch (var2) {
    case Tip::FileDone.var2:
        return full(QStringLiteral(" 子线程文件处理<b>完毕</b></p>"));
    case Tip::ThreadPoolFailed.var2:
        return full(QStringLiteral(" 线程池启动<b><font color='#FF0000'>失败</font></b></p>"));
    case Tip::AllThreadsDone.var2:
        return {Form::Bare, QStringLiteral(" 所有线程<b>全部处理完毕</b></p>")};
    case Tip::ThreadStepDone.var2:
        return {Form::Bare, QStringLiteral(" 线程当前步骤处理<b>完毕</b></p>")};
    default:
        return unknown(4);
    }
}

Entry steps(int var2)
{
    switch (var2) {
    case Tip::AddStepFailed.var2:
        return full(QStringLiteral(" 添加步骤<b><font color='#FF0000'>失败</font></b></p>"));
    case Tip::StepStarted.var2:
        return {Form::Step, QStringLiteral("<b>开始处理</b></p>")};
    case Tip::StepFinished.var2:
        return {Form::Step, QStringLiteral("<b>处理完成</b></p>")};
    case Tip::AllStepsDone.var2:
        return full(QStringLiteral(" <b>全部</b>步骤处理<b>完毕</b></p>"));
    default:
        return unknown(5);
    }
}

Entry parameters(int var2)
{
    switch (var2) {
    case Tip::ParametersInvalid.var2:
        return full(
            QStringLiteral(" 操作<b><font color='#FF0000'>取消</font></b>参数设置有误,请检查</p>"));
    case Tip::NoStepsAdded.var2:
        return full(QStringLiteral(
            " <b><font color='#FF0000'>没有添加</font></b>需要处理文本的步骤请添加</p>"));
    case Tip::NoOperationChosen.var2:
        return full(
            QStringLiteral(" <b><font color='#FF0000'>没有</font></b>选择需要处理的操作</p>"));
    case Tip::NoStepsToRemove.var2:
        return full(
            QStringLiteral(" <b><font color='#FF0000'>没有</font></b>可以删除的文本处理步骤</p>"));
    case Tip::NoStepChosenToRemove.var2:
        return full(QStringLiteral(
            " <b><font color='#FF0000'>没有</font></b>选择需要删除的文本处理步骤</p>"));
    default:
        return unknown(6);
    }
}

} // namespace

TipCatalogue::Entry TipCatalogue::entry(int var1, int var2)
{
    switch (var1) {
    case 0:
        return files(var2);
    case 10:
        return fileLists(var2);
    case 11:
        return plugins(var2);
    case -1:
        return wordLists(var2);
    case -2:
        return var2 == Tip::BaseConversionFailed.var2
                   ? full(QStringLiteral(
                         " 进制转换<b><font color='#FF0000'>失败</font></b>,请检查</p>"))
                   : unknown(2);
    case -3:
        return var2 == Tip::FormatTwoNotCustom.var2
                   ? full(QStringLiteral(" 文本格式二<b><font "
                                         "color='#FF0000'>不支持</font></b>自定义格式切换</p>"))
                   : unknown(3);
    case -4:
        return threads(var2);
    case -5:
        return steps(var2);
    case -6:
        return parameters(var2);
    case -7:
        return var2 == Tip::EmptyReplaceKey.var2
                   ? full(QStringLiteral(" <b><font color='#FF0000'>警告</font></b>:"
                                         "上一条[被替换关键字]为空,请补充</p>"))
                   : unknown(7);
    case -9:
        return var2 == Tip::NoOptionChosen.var2
                   ? full(
                         QStringLiteral(" <b><font color='#FF0000'>未选择</font></b>:操作选项</p>"))
                   : unknown(9);
    default:
        return {Form::CodesOnly, QString()};
    }
}

QString TipCatalogue::line(const QTime &time, int var1, int var2, const QString &tipText)
{
    const Entry found = entry(var1, var2);
    const QString stamp = time.toString(Qt::TextDate) + QStringLiteral("  ");
    const QString codes = QString::number(var1) + QLatin1Char(' ') + QString::number(var2);
    // The line is markup, the tip text is not: it carries file names and
    // typed keys, whose "<" and "&" must show as themselves.
    const QString text = tipText.toHtmlEscaped();
    const QString codesAndText = text.isEmpty() ? codes : codes + QStringLiteral("   ") + text;

    switch (found.form) {
    case Form::Bare:
        return stamp + found.text;
    case Form::Step:
        return stamp + codes + QStringLiteral("   步骤") + text + found.text;
    case Form::Full:
    case Form::CodesOnly:
        break;
    }
    return stamp + codesAndText + found.text;
}
