#include "server/SpreadsheetServer.h"

#include <QtGlobal>

// The plug-in answers "Excel.Application" with its own in-process server as
// soon as the library is loaded, in every process that links it: the
// workbook wrappers start the application by that name, as they would the
// platform's.
namespace {

void installSpreadsheetServer()
{
    SpreadsheetServer::install();
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(installSpreadsheetServer)
