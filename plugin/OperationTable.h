#ifndef OPERATIONTABLE_H
#define OPERATIONTABLE_H

#include "PluginGlobals.h"

#include <QString>

#include <memory>

class ExcelBase;
class WidgetTextOption;

// What a run needs to know of each operation kind: the parameter record the
// options panel builds for it and the class that processes one file with that
// record. A new operation class joins the run here and nowhere else.
class OperationTable
{
public:
    // A parameter record of the kind's own type. It is shared by every job
    // of a run and by the step that keeps it, and goes with the last of them.
    using Record = std::shared_ptr<void>;

    // Whether the kind has an operation class that can process a file.
    static bool hasOperation(Enum_TextIndex kind);

    // The kind's record from the options panel, null when the options make
    // none. fileIndex picks the keyword table's column for replace by table.
    static Record buildRecord(WidgetTextOption *options, Enum_TextIndex kind, int fileIndex);

    // The operation object for one file, null for a kind without a class.
    // record must be one that buildRecord made for the same kind.
    static std::unique_ptr<ExcelBase> createOperation(Enum_TextIndex kind, const QString &path,
                                                      const Record &record);
};

#endif // OPERATIONTABLE_H
