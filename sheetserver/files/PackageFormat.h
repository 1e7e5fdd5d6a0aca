#ifndef PACKAGEFORMAT_H
#define PACKAGEFORMAT_H

#include "files/WorkbookFormat.h"

#include <memory>

struct PackageLayout;

// A workbook of the Office Open XML family. After a save its sheets take
// their places in the new package, which is then loaded from the bytes just
// written: nothing is read again unless that load fails.
class PackageFormat : public WorkbookFormat
{
public:
    PackageFormat();
    ~PackageFormat() override;

    bool read(const QByteArray &bytes, WorkbookDocument *document, QString *why) override;
    bool write(WorkbookDocument *document, QByteArray *out, QString *why) override;
    bool save(WorkbookDocument *document, WorkbookHold *hold, QByteArray *readAgain,
              QString *why) override;

private:
    std::unique_ptr<PackageLayout> m_layout;
};

#endif // PACKAGEFORMAT_H
