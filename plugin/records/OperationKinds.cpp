#include "records/OperationKinds.h"

#include "operations/TextAdd.h"
#include "operations/TextChar.h"
#include "operations/TextCode.h"
#include "operations/TextReplaced.h"
#include "operations/TextRetain.h"
#include "operations/TextSpace.h"
#include "operations/TextTo.h"
#include "panels/OptionPages.h"
#include "panels/WidgetTextOption.h"
#include "records/ParAdd.h"
#include "records/ParChar.h"
#include "records/ParCode.h"
#include "records/ParReplaced.h"
#include "records/ParRetain.h"
#include "records/ParSpace.h"
#include "records/ParTo.h"

#include <type_traits>

namespace {

// Takes over a builder's new record (or its null).
template<typename Par>
OperationRecord adopt(Par *par)
{
    return std::shared_ptr<Par>(par);
}

// The operation each record type drives: the one place where a record meets
// its class, so a record cannot reach an operation of another kind.
template<typename Operation, typename Par>
std::unique_ptr<ExcelBase> make(const QString &path, const Par *par)
{
    static_assert(std::is_constructible_v<Operation, const QString &, const Par *, QObject *>,
                  "an operation takes its own record type");
    return std::make_unique<Operation>(path, par, nullptr);
}

std::unique_ptr<ExcelBase> operationFor(const QString &path, const ParReplaced *par)
{
    return make<TextReplaced>(path, par);
}
std::unique_ptr<ExcelBase> operationFor(const QString &path, const ParRetain *par)
{
    return make<TextRetain>(path, par);
}
std::unique_ptr<ExcelBase> operationFor(const QString &path, const ParTo *par)
{
    return make<TextTo>(path, par);
}
std::unique_ptr<ExcelBase> operationFor(const QString &path, const ParCode *par)
{
    return make<TextCode>(path, par);
}
std::unique_ptr<ExcelBase> operationFor(const QString &path, const ParChar *par)
{
    return make<TextChar>(path, par);
}
std::unique_ptr<ExcelBase> operationFor(const QString &path, const ParSpace *par)
{
    return make<TextSpace>(path, par);
}
std::unique_ptr<ExcelBase> operationFor(const QString &path, const ParAdd *par)
{
    return make<TextAdd>(path, par);
}

QVector<OperationKind> makeKinds()
{
    return {
        {Replaced, QStringLiteral("字符处理:替换1"),
         QStringLiteral("将指定文本文件相同的关键字替换为【相同】的内容"), QStringLiteral("替换"),
         &OptionPages::showReplace,
         [](WidgetTextOption &options, int) { return adopt(options.getParReplaced()); }},
        {Replaced2, QStringLiteral("字符处理:替换2"),
         QStringLiteral("将指定文本文件相同的关键字替换为【不同】的内容"), QStringLiteral("替换2"),
         &OptionPages::showReplaceByTable,
         [](WidgetTextOption &options, int fileIndex) {
             return adopt(options.getParReplaced2(fileIndex));
         }},
        {Retain, QStringLiteral("字符处理:保留"), QStringLiteral("保留符合正则表达式的文本内容"),
         QStringLiteral("保留"), &OptionPages::showRetain,
         [](WidgetTextOption &options, int) { return adopt(options.getParRetain()); }},
        {Delete, QStringLiteral("字符处理:删除"),
         QStringLiteral("删除指定或符合正则表达式的文本内容"), QStringLiteral("删除"),
         &OptionPages::showDelete,
         [](WidgetTextOption &options, int) { return adopt(options.getParReplaced()); }},
        {To, QStringLiteral("字符处理:转换"),
         QStringLiteral("支持大小写、全半角、进制、繁简体等转换方式"), QStringLiteral("转换"),
         &OptionPages::showTo,
         [](WidgetTextOption &options, int) { return adopt(options.getParTo()); }},
        {Code, QStringLiteral("字符处理:编解码"),
         QStringLiteral("支持BASIC、 Hex、AES_128、 ASCII、DES、Rabbit、RC4、TripleDes、"
                        "Keccak_224、Keccak_256、Keccak_384、Keccak_512、RealSha3_224、"
                        "RealSha3_256、RealSha3_384、RealSha3_512、Md4、Md5、Sha1、Sha224、"
                        "Sha256、Sha384、Sha512等编解码方式"),
         QStringLiteral("编解码"), &OptionPages::showCode,
         [](WidgetTextOption &options, int) { return adopt(options.getParCode()); }},
        {Char, QStringLiteral("字符处理:字符"), QStringLiteral("增加指定字符或删除、保留指定长度"),
         QStringLiteral("字符"), &OptionPages::showChar,
         [](WidgetTextOption &options, int) { return adopt(options.getParChar()); }},
        {Space, QStringLiteral("字符处理:空格"), QStringLiteral("支持在段首或段尾设置空格数量"),
         QStringLiteral("空格"), &OptionPages::showSpace,
         [](WidgetTextOption &options, int) { return adopt(options.getParSpace()); }},
        {Add, QStringLiteral("字符处理:追加"), QStringLiteral("追加段落已有文本内容"),
         QStringLiteral("追加"), &OptionPages::showAdd,
         [](WidgetTextOption &options, int) { return adopt(options.getParAdd()); }},
        // Named, but without options or an operation.
        {Subtract, QStringLiteral("字符处理:减去"), QString(), QStringLiteral("减去"), nullptr,
         nullptr},
    };
}

} // namespace

const QVector<OperationKind> &OperationKinds::all()
{
    static const QVector<OperationKind> kinds = makeKinds();
    return kinds;
}

const OperationKind *OperationKinds::find(Enum_TextIndex kind)
{
    const QVector<OperationKind> &kinds = all();
    const int at = int(kind) - int(Replaced);
    if (at < 0 || at >= kinds.size())
        return nullptr;
    Q_ASSERT(kinds.at(at).kind == kind);
    return &kinds.at(at);
}

bool OperationKinds::hasOperation(Enum_TextIndex kind)
{
    const OperationKind *row = find(kind);
    return row && row->buildRecord;
}

OperationRecord OperationKinds::buildRecord(WidgetTextOption *options, Enum_TextIndex kind,
                                            int fileIndex)
{
    if (!options || !hasOperation(kind))
        return {};
    return find(kind)->buildRecord(*options, fileIndex);
}

std::unique_ptr<ExcelBase> OperationKinds::createOperation(const QString &path,
                                                           const OperationRecord &record)
{
    return std::visit(
        [&path](const auto &par) -> std::unique_ptr<ExcelBase> {
            if constexpr (std::is_same_v<std::decay_t<decltype(par)>, std::monostate>)
                return nullptr;
            else
                return operationFor(path, par.get());
        },
        record.value());
}
