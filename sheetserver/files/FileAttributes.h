#ifndef FILEATTRIBUTES_H
#define FILEATTRIBUTES_H

#include <QString>

// Gives a new file everything of an old one that says who may do what
// with it, before the new file takes the old one's place: owner and group,
// the mode with its setuid, setgid and sticky bits, and every extended
// attribute, which carries the POSIX access control list as well. A new
// file that cannot have the old owner or group is not to replace the old
// one (it would hand the workbook to someone else); only the security
// labels, which the system gives files itself, may differ.
class FileAttributes
{
public:
    static bool copy(int from, int to, QString *why);

private:
    static bool copyExtended(int from, int to, QString *why);
};

#endif // FILEATTRIBUTES_H
