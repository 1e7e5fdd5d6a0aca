#ifndef MYTABLEMODEL_H
#define MYTABLEMODEL_H

#include <QList>
#include <QStandardItemModel>

// The model behind a file list's table. Its only addition is the hand-over
// of dragged row numbers to the list window, which owns the records and
// rebuilds the rows itself.
class MyTableModel : public QStandardItemModel
{
    Q_OBJECT
public:
    explicit MyTableModel(QObject *parent = nullptr);

    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void changeSignal(QList<int>, int);
};

#endif // MYTABLEMODEL_H
