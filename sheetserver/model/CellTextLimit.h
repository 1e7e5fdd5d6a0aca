#ifndef CELLTEXTLIMIT_H
#define CELLTEXTLIMIT_H

// The most UTF-16 units a cell holds, in every format: Excel cuts a longer
// field of delimited text too. Nothing else lives here, so that every layer
// can name the limit, and server/SpreadsheetServer.h brings it to the
// plug-in under the same name.
constexpr int MaxCellText = 32767;

#endif // CELLTEXTLIMIT_H
