#include "XlsMaker.h"

#include "xls/BiffRecords.h"
#include "xls/CompoundFile.h"
#include "xls/SstWriter.h"

#include <QFile>

namespace {

constexpr quint32 Free = 0xFFFFFFFFu, End = 0xFFFFFFFEu, FatSector = 0xFFFFFFFDu;

QByteArray bof(quint16 kind)
{
    QByteArray data;
    for (quint16 v : {quint16(Biff::Biff8Version), kind, quint16(0x0DBB), quint16(0x07CC)})
        Biff::append16(&data, v);
    Biff::append32(&data, 0);
    Biff::append32(&data, 6);
    return Biff::record(Biff::Bof, data);
}

QByteArray xf(bool style)
{
    QByteArray data(20, '\0');
    Biff::patch16(&data, 4, style ? 0xFFF5 : 0x0001);
    return Biff::record(Biff::Xf, data);
}

// A compound file holding one empty Workbook stream of 4096 bytes: header,
// allocation table, directory, then the stream's eight sectors.
QByteArray skeleton()
{
    QByteArray file(512 * 11, '\0');
    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const QList<QPair<int, quint32>> header{{24, 0x0003003E}, {28, 0x0009FFFE}, {32, 6},
                                            {44, 1},          {48, 1},          {56, 4096},
                                            {60, End},        {68, End}};
    for (const auto &field : header)
        Biff::patch32(&file, field.first, field.second);
    for (int i = 0; i < 109; ++i)
        Biff::patch32(&file, 76 + 4 * i, i == 0 ? 0 : Free);
    for (int i = 0; i < 128; ++i) {
        const quint32 next = i == 0 ? FatSector : i == 1 || i == 9 ? End : i < 9 ? i + 1 : Free;
        Biff::patch32(&file, 512 + 4 * i, next);
    }
    auto entry = [&](int index, const QString &name, quint8 type, quint32 child, quint32 start,
                     quint32 size) {
        const int at = 1024 + 128 * index;
        for (int c = 0; c < name.size(); ++c)
            Biff::patch16(&file, at + 2 * c, name.at(c).unicode());
        Biff::patch16(&file, at + 64, quint16(name.isEmpty() ? 0 : 2 * name.size() + 2));
        file[at + 66] = char(type);
        file[at + 67] = 1;
        for (int link : {68, 72})
            Biff::patch32(&file, at + link, Free);
        Biff::patch32(&file, at + 76, child);
        Biff::patch32(&file, at + 116, start);
        Biff::patch32(&file, at + 120, size);
    };
    entry(0, QStringLiteral("Root Entry"), CompoundFile::Root, 1, End, 0);
    entry(1, QStringLiteral("Workbook"), CompoundFile::Stream, Free, 2, 4096);
    entry(2, QString(), CompoundFile::Empty, Free, 0, 0);
    entry(3, QString(), CompoundFile::Empty, Free, 0, 0);
    return file;
}

} // namespace

bool XlsMaker::writeTextWorkbook(const QString &path, const QStringList &sheetNames,
                                 int rowsPerSheet, int columns, const WorkbookMaker::TextOf &text)
{
    QByteArray globals = bof(0x0005);
    for (int i = 0; i < 16; ++i)
        globals += xf(true);
    globals += xf(false);
    QList<int> positionFields;
    for (const QString &name : sheetNames) {
        QByteArray data;
        Biff::append32(&data, 0);
        Biff::append16(&data, 0);
        data.append(char(name.size()));
        data.append(char(0));
        data.append(name.toLatin1());
        positionFields.append(globals.size() + 4);
        globals += Biff::record(Biff::BoundSheet, data);
    }
    const quint32 cells = quint32(sheetNames.size() * rowsPerSheet * columns);
    QByteArray table;
    SstWriter strings(&table, quint32(globals.size()), cells, cells);
    QByteArray sheets;
    QList<int> starts;
    int index = 0;
    for (int s = 0; s < sheetNames.size(); ++s) {
        starts.append(sheets.size());
        sheets += bof(0x0010);
        QByteArray dimensions;
        for (quint32 v : {0u, quint32(rowsPerSheet)})
            Biff::append32(&dimensions, v);
        for (quint16 v : {quint16(0), quint16(columns), quint16(0)})
            Biff::append16(&dimensions, v);
        sheets += Biff::record(Biff::Dimensions, dimensions);
        for (int row = 0; row < rowsPerSheet; ++row) {
            const int shown = s * rowsPerSheet + row + 1;
            for (int column = 0; column < columns; ++column) {
                strings.add(text(shown, column + 1));
                QByteArray data;
                for (int v : {row, column, 16})
                    Biff::append16(&data, quint16(v));
                Biff::append32(&data, quint32(index++));
                sheets += Biff::record(Biff::LabelSst, data);
            }
        }
        sheets += Biff::record(Biff::Eof, QByteArray());
    }
    strings.finish();
    globals += table;
    globals += strings.extSst();
    globals += Biff::record(Biff::Eof, QByteArray());
    for (int s = 0; s < starts.size(); ++s)
        Biff::patch32(&globals, positionFields.at(s), quint32(globals.size() + starts.at(s)));

    CompoundFile container;
    QString why;
    QByteArray file;
    if (!container.load(skeleton(), &why) ||
        !container.replaceStream(container.child(0, QStringLiteral("Workbook")), globals + sheets,
                                 &file, &why))
        return false;
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(file) == file.size();
}
