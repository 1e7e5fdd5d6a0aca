#ifndef OPENWORKBOOK_H
#define OPENWORKBOOK_H

#include "files/WorkbookFile.h"
#include "model/WorkbookDocument.h"

#include <memory>

// A workbook as the server objects of one application instance share it:
// the workbook, its sheets and ranges all reach the file through this, and
// once it is closed they all answer nothing.
struct OpenWorkbook
{
    std::unique_ptr<WorkbookFile> file;
    bool isOpen() const { return file != nullptr; }
    void close() { file.reset(); }
    WorkbookDocument &document() { return file->document(); }
};

using OpenWorkbookPtr = std::shared_ptr<OpenWorkbook>;

#endif // OPENWORKBOOK_H
