#ifndef OPENWORKBOOK_H
#define OPENWORKBOOK_H

#include "model/WorkbookDocument.h"

#include <memory>

// A workbook as the server objects of one application instance share it:
// the workbook, its sheets and ranges all reach the document through this,
// and once it is closed they all answer nothing.
struct OpenWorkbook
{
    std::unique_ptr<WorkbookDocument> document;
    bool isOpen() const { return document != nullptr; }
    void close() { document.reset(); }
};

using OpenWorkbookPtr = std::shared_ptr<OpenWorkbook>;

#endif // OPENWORKBOOK_H
