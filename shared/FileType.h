#ifndef FILETYPE_H
#define FILETYPE_H

#include <QString>

// One file of a file list. Records are made by the host's file lists and are
// never deleted while the program runs, so every pointer an editor, a signal
// receiver or a plug-in job holds stays valid to the end of the process.
class FileType
{
public:
    int id = 0;
    QString path;
};

#endif // FILETYPE_H
