#ifndef OPERATIONKINDS_H
#define OPERATIONKINDS_H

#include "frame/PluginGlobals.h"
#include "records/OperationRecord.h"

#include <QString>
#include <QVector>

#include <memory>

class ExcelBase;
class OptionPages;
class WidgetTextOption;

// Everything the plug-in knows of one operation kind.
struct OperationKind
{
    Enum_TextIndex kind;
    // Holds one colon; also the row text of a step.
    QString title;
    QString description;
    // What the options panel's title names.
    QString optionsTitle;
    // Arranges the options panel for the kind.
    void (OptionPages::*showOptions)();
    // The kind's record from the options panel, none when the options make
    // none; null for a kind without an operation. fileIndex picks the
    // keyword table's column for replace by table.
    OperationRecord (*buildRecord)(WidgetTextOption &options, int fileIndex);
};

// The operation kinds Replaced to Subtract, one row each. A new operation
// joins the plug-in here and in the record type it reads.
class OperationKinds
{
public:
    // In Enum_TextIndex order.
    static const QVector<OperationKind> &all();
    // Null for Explain and for values outside the enumeration.
    static const OperationKind *find(Enum_TextIndex kind);

    // Whether the kind has an operation that can process a file.
    static bool hasOperation(Enum_TextIndex kind);
    static OperationRecord buildRecord(WidgetTextOption *options, Enum_TextIndex kind,
                                       int fileIndex);
    // The operation that reads record, for one file; null without a record.
    static std::unique_ptr<ExcelBase> createOperation(const QString &path,
                                                      const OperationRecord &record);
};

#endif // OPERATIONKINDS_H
