#include "MyTableModel.h"

#include <QDebug>
#include <QMimeData>

MyTableModel::MyTableModel(QObject *parent) : QStandardItemModel(parent) {}

QMimeData *MyTableModel::mimeData(const QModelIndexList &indexes) const
{
    QMimeData *data = QStandardItemModel::mimeData(indexes);
    if (!data)
        return data;

    // Whole-row selection over two columns delivers two indexes per row; the
    // odd positions give each dragged row exactly once, in drag order.
    for (int i = 1; i < indexes.size(); i += 2) {
        data->setData(QString::number(i / 2), QString::number(indexes.at(i).row()).toUtf8());
    }
    return data;
}

bool MyTableModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int /* row */,
                                int /* column */, const QModelIndex &parent)
{
    qDebug() << "Model: dropMimeData1";
    if (!data || action != Qt::MoveAction)
        return false;

    QList<int> rows;
    for (int n = 0;; ++n) {
        QByteArray bytes = data->data(QString::number(n));
        if (bytes.isEmpty())
            break;
        const int nul = bytes.indexOf('\0');
        if (nul >= 0)
            bytes.truncate(nul);
        rows.append(QString::fromUtf8(bytes).toInt());
    }

    qDebug() << "Model: dropMimeData2";
    emit changeSignal(rows, parent.row());
    return true;
}

Qt::DropActions MyTableModel::supportedDropActions() const
{
    return QStandardItemModel::supportedDropActions() | Qt::MoveAction;
}

Qt::ItemFlags MyTableModel::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags base = QStandardItemModel::flags(index);
    if (index.isValid())
        return base | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    return base;
}
