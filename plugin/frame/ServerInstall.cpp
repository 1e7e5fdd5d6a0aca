#include "ContentCodec.h"
#include "server/SpreadsheetServer.h"

#include <QTextCodec>
#include <QtGlobal>

// The plug-in answers "Excel.Application" with its own in-process server as
// soon as the library is loaded, in every process that links it: the
// workbook wrappers start the application by that name, as they would the
// platform's.
namespace {

// Delimited text whose bytes tell no encoding takes the one the options
// choose for text contents when non-ASCII text comes into it.
TextEncoding::Kind chosenEncodingForNewText()
{
    switch (ContentCodec::chosen()->mibEnum()) {
    case 113:  // GBK
    case 114:  // GB18030
    case 2025: // GB2312
        return TextEncoding::Gb18030;
    default:
        return TextEncoding::Utf8;
    }
}

void installSpreadsheetServer()
{
    SpreadsheetServer::install();
    SpreadsheetServer::setNewTextEncoding(&chosenEncodingForNewText);
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(installSpreadsheetServer)
