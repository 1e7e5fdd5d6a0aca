#include "TipCatalogue.h"

#include "Tip.h"

namespace {

using Form = TipCatalogue::Form;
using Row = TipCatalogue::Row;

// The code an unknown second number of a first number's category reports.
struct UnknownCode
{
    int var1;
    int code;
};

// The plug-ins' category shares its code with the replace-key category.
const UnknownCode unknownCodes[] = {{0, 0},  {10, 10}, {11, 7}, {-1, 1}, {-2, 2}, {-3, 3},
                                    {-4, 4}, {-5, 5},  {-6, 6}, {-7, 7}, {-9, 9}};

QVector<Row> makeRows()
{
    const Form full = Form::Full;
    return {
        // Files.
        {Tip::FileNotFound, full,
         QStringLiteral(" <b><font color='#FF0000'>没有发现</font></b>该文件</p>")},
        {Tip::FileUnreadable, full,
         QStringLiteral("该文件<b><font color='#FF0000'>不可读</font></b></p>")},
        {Tip::FileUnwritable, full,
         QStringLiteral(" 该文件<b><font color='#FF0000'>不可写</font></b></p>")},
        {Tip::FileSaveFailed, full,
         QStringLiteral(" 文件保存<b><font color='#FF0000'>失败</font></b></p>")},
        {Tip::FileSaved, full, QStringLiteral(" 文件保存<b>成功</b></p>")},
        {Tip::NoFilesToProcess, full,
         QStringLiteral(" <font color='#FF0000'>没有</font>需要处理的文件请添加</p>")},
        {Tip::FileExists, full,
         QStringLiteral(" 该文件<b><font color='#FF0000'>已存在</font></b></p>")},
        {Tip::FileRenamed, full, QStringLiteral(" 文件重命名成功</p>")},
        {Tip::FileRenameFailed, full,
         QStringLiteral(" 文件重命名<b><font color='#FF0000'>失败</font></b></p>")},
        {Tip::FolderMissing, full,
         QStringLiteral(" 目录<b><font color='#FF0000'>不存在</font></b></p>")},
        {Tip::OfficeMissing, full,
         QStringLiteral(
             " OFFICE或WPS<b><font color='#FF0000'>没有安装</font></b>，需要安装OFFICE或WPS</p>")},

        // File lists.
        {Tip::FileListEmpty, full,
         QStringLiteral(" 文件列表为<b><font color='#FF0000'>空</font></b></p>")},
        {Tip::FileListAEmpty, full,
         QStringLiteral(" 文件列表A为<b><font color='#FF0000'>空</font></b></p>")},
        {Tip::FileListBEmpty, full,
         QStringLiteral(" 文件列表B为<b><font color='#FF0000'>空</font></b></p>")},

        // Plug-ins.
        {Tip::PluginLoaded, full, QStringLiteral(" 加载插件<b>成功</b></p>")},
        {Tip::PluginOpened, full, QStringLiteral(" 插件打开</p>")},
        {Tip::PluginClosed, full, QStringLiteral(" 插件关闭</p>")},
        {Tip::NoPluginOpen, full, QStringLiteral(" 没有打开任何插件工具,请打开需要的插件功能</p>")},

        // Word lists of the conversions.
        {Tip::ScriptListLinesDiffer, full,
         QStringLiteral(" 繁简转换:替换相关配置行数<b><font "
                        "color='#FF0000'>不一致</font></b>请【编辑对应转换文档】</p>")},
        {Tip::CustomListLinesDiffer, full,
         QStringLiteral(" 自定义转换:替换相关配置行数<b><font "
                        "color='#FF0000'>不一致</font></b>请【编辑对应替换文档】</p>")},
        {Tip::ScriptListEmpty, full,
         QStringLiteral(
             " 繁简转换:替换相关配置文件没有内容,请添加(每行一个)请【编辑对应转换文档】</p>")},
        {Tip::CustomListEmpty, full,
         QStringLiteral(" 自定义转换:替换相关配置文件没有替换内容,请添加(每行一个)"
                        "请【编辑对应替换文档】</p>")},
        {Tip::RegionListsAreSamples, full,
         QStringLiteral(" 繁简转换:大陆、香港、台湾转换这里仅做了词组示例,请自行补充添加</p>")},

        {Tip::BaseConversionFailed, full,
         QStringLiteral(" 进制转换<b><font color='#FF0000'>失败</font></b>,请检查</p>")},
        {Tip::FormatTwoNotCustom, full,
         QStringLiteral(" 文本格式二<b><font color='#FF0000'>不支持</font></b>自定义格式切换</p>")},

        // Worker threads.
        {Tip::FileDone, full, QStringLiteral(" 子线程文件处理<b>完毕</b></p>")},
        {Tip::ThreadPoolFailed, full,
         QStringLiteral(" 线程池启动<b><font color='#FF0000'>失败</font></b></p>")},
        {Tip::AllThreadsDone, Form::Bare, QStringLiteral(" 所有线程<b>全部处理完毕</b></p>")},
        {Tip::ThreadStepDone, Form::Bare, QStringLiteral(" 线程当前步骤处理<b>完毕</b></p>")},

        // Steps.
        {Tip::AddStepFailed, full,
         QStringLiteral(" 添加步骤<b><font color='#FF0000'>失败</font></b></p>")},
        {Tip::StepStarted, Form::Step, QStringLiteral("<b>开始处理</b></p>")},
        {Tip::StepFinished, Form::Step, QStringLiteral("<b>处理完成</b></p>")},
        {Tip::AllStepsDone, full, QStringLiteral(" <b>全部</b>步骤处理<b>完毕</b></p>")},

        // Parameters and choices.
        {Tip::ParametersInvalid, full,
         QStringLiteral(" 操作<b><font color='#FF0000'>取消</font></b>参数设置有误,请检查</p>")},
        {Tip::NoStepsAdded, full,
         QStringLiteral(
             " <b><font color='#FF0000'>没有添加</font></b>需要处理文本的步骤请添加</p>")},
        {Tip::NoOperationChosen, full,
         QStringLiteral(" <b><font color='#FF0000'>没有</font></b>选择需要处理的操作</p>")},
        {Tip::NoStepsToRemove, full,
         QStringLiteral(" <b><font color='#FF0000'>没有</font></b>可以删除的文本处理步骤</p>")},
        {Tip::NoStepChosenToRemove, full,
         QStringLiteral(" <b><font color='#FF0000'>没有</font></b>选择需要删除的文本处理步骤</p>")},
        {Tip::EmptyReplaceKey, full,
         QStringLiteral(" <b><font color='#FF0000'>警告</font></b>:"
                        "上一条[被替换关键字]为空,请补充</p>")},
        {Tip::NoOptionChosen, full,
         QStringLiteral(" <b><font color='#FF0000'>未选择</font></b>:操作选项</p>")},

        // Traces: the dock shows their codes and text only.
        {Tip::CurrentPluginSet, Form::CodesOnly, QString()},
        {Tip::CurrentPluginDropped, Form::CodesOnly, QString()},
        {Tip::StepRecording, Form::CodesOnly, QString()},
        {Tip::StepListLength, Form::CodesOnly, QString()},
        {Tip::StepRemoving, Form::CodesOnly, QString()},
        {Tip::StepRemoved, Form::CodesOnly, QString()},
        {Tip::StepRunning, Form::CodesOnly, QString()},
    };
}

TipCatalogue::Entry unknown(int code)
{
    return {Form::Full, QStringLiteral(" <b><font color='#FF0000'>未知错误</font></b>代码") +
                            QString::number(code) + QStringLiteral("</p>")};
}

} // namespace

const QVector<TipCatalogue::Row> &TipCatalogue::rows()
{
    static const QVector<Row> all = makeRows();
    return all;
}

TipCatalogue::Entry TipCatalogue::entry(int var1, int var2)
{
    const Tip::Pair tip{var1, var2};
    for (const Row &row : rows()) {
        if (row.tip == tip)
            return {row.form, row.text};
    }
    for (const UnknownCode &unknownCode : unknownCodes) {
        if (unknownCode.var1 == var1)
            return unknown(unknownCode.code);
    }
    return {Form::CodesOnly, QString()};
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
