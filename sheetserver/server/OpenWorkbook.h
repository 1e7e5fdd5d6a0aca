#ifndef OPENWORKBOOK_H
#define OPENWORKBOOK_H

#include "files/WorkbookFile.h"
#include "model/WorkbookDocument.h"

#include <memory>

// A workbook as the server objects of one application instance share it:
// the workbook, its sheets and ranges all reach the file through this, and
// once it is closed they all answer nothing. They show and change the
// workbook as the file now is: after a save, the saved file is read first
// where the document does not describe it yet.
struct OpenWorkbook
{
    std::unique_ptr<WorkbookFile> file;
    bool isOpen() const { return file != nullptr; }
    void close() { file.reset(); }
    WorkbookDocument &document()
    {
        file->readSaved();
        return file->document();
    }
};

using OpenWorkbookPtr = std::shared_ptr<OpenWorkbook>;

#endif // OPENWORKBOOK_H
