#include "MyTableModel.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestMyTableModel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void wholeRowsGiveOneFormatPerRow();
    void singleCellGivesNoRowFormat();
    void dropReadsRowsBackAndTarget();
    void dropBelowLastRowTargetsMinusOne();
    void dropStopsAtFirstMissingFormat();
    void dropIgnoresBytesAfterNul();
    void onlyMoveWithDataIsAccepted();
    void flagsAndActions();

private:
    QModelIndexList rows(std::initializer_list<int> list) const;
    std::unique_ptr<MyTableModel> model;
};

void TestMyTableModel::init()
{
    model.reset(new MyTableModel(nullptr));
    for (int r = 0; r < 5; ++r)
        model->appendRow({new QStandardItem(QStringLiteral("f%1.xlsx").arg(r)),
                          new QStandardItem(QStringLiteral("/tmp"))});
}

QModelIndexList TestMyTableModel::rows(std::initializer_list<int> list) const
{
    QModelIndexList indexes;
    for (int r : list)
        indexes << model->index(r, 0) << model->index(r, 1);
    return indexes;
}

void TestMyTableModel::wholeRowsGiveOneFormatPerRow()
{
    std::unique_ptr<QMimeData> data(model->mimeData(rows({3, 0, 4})));
    QVERIFY(data);
    QCOMPARE(data->data(QStringLiteral("0")), QByteArray("3"));
    QCOMPARE(data->data(QStringLiteral("1")), QByteArray("0"));
    QCOMPARE(data->data(QStringLiteral("2")), QByteArray("4"));
    QVERIFY(!data->hasFormat(QStringLiteral("3")));
}

void TestMyTableModel::singleCellGivesNoRowFormat()
{
    std::unique_ptr<QMimeData> data(model->mimeData({model->index(2, 1)}));
    QVERIFY(data);
    QVERIFY(!data->hasFormat(QStringLiteral("0")));

    QSignalSpy spy(model.get(), &MyTableModel::changeSignal);
    QVERIFY(model->dropMimeData(data.get(), Qt::MoveAction, -1, -1, model->index(1, 0)));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QList<int>>(), QList<int>());
    QCOMPARE(spy.at(0).at(1).toInt(), 1);
}

void TestMyTableModel::dropReadsRowsBackAndTarget()
{
    std::unique_ptr<QMimeData> data(model->mimeData(rows({0, 1})));
    QSignalSpy spy(model.get(), &MyTableModel::changeSignal);
    // The row and column arguments are not where the target comes from.
    QVERIFY(model->dropMimeData(data.get(), Qt::MoveAction, 2, 1, model->index(4, 1)));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QList<int>>(), (QList<int>{0, 1}));
    QCOMPARE(spy.at(0).at(1).toInt(), 4);
}

void TestMyTableModel::dropBelowLastRowTargetsMinusOne()
{
    std::unique_ptr<QMimeData> data(model->mimeData(rows({2})));
    QSignalSpy spy(model.get(), &MyTableModel::changeSignal);
    QVERIFY(model->dropMimeData(data.get(), Qt::MoveAction, 5, 0, QModelIndex()));
    QCOMPARE(spy.at(0).at(0).value<QList<int>>(), QList<int>{2});
    QCOMPARE(spy.at(0).at(1).toInt(), -1);
}

void TestMyTableModel::dropStopsAtFirstMissingFormat()
{
    QMimeData data;
    data.setData(QStringLiteral("0"), "7");
    data.setData(QStringLiteral("1"), "x");
    data.setData(QStringLiteral("3"), "9");
    QSignalSpy spy(model.get(), &MyTableModel::changeSignal);
    QVERIFY(model->dropMimeData(&data, Qt::MoveAction, -1, -1, QModelIndex()));
    // Text that is no number reads as 0; "3" is never reached past the gap.
    QCOMPARE(spy.at(0).at(0).value<QList<int>>(), (QList<int>{7, 0}));
}

void TestMyTableModel::dropIgnoresBytesAfterNul()
{
    QMimeData data;
    data.setData(QStringLiteral("0"), QByteArray("12\0"
                                                 "34",
                                                 5));
    QSignalSpy spy(model.get(), &MyTableModel::changeSignal);
    QVERIFY(model->dropMimeData(&data, Qt::MoveAction, -1, -1, QModelIndex()));
    QCOMPARE(spy.at(0).at(0).value<QList<int>>(), QList<int>{12});
}

void TestMyTableModel::onlyMoveWithDataIsAccepted()
{
    std::unique_ptr<QMimeData> data(model->mimeData(rows({1})));
    QSignalSpy spy(model.get(), &MyTableModel::changeSignal);
    QVERIFY(!model->dropMimeData(data.get(), Qt::CopyAction, -1, -1, model->index(0, 0)));
    QVERIFY(!model->dropMimeData(data.get(), Qt::LinkAction, -1, -1, model->index(0, 0)));
    QVERIFY(!model->dropMimeData(nullptr, Qt::MoveAction, -1, -1, model->index(0, 0)));
    QCOMPARE(spy.count(), 0);
}

void TestMyTableModel::flagsAndActions()
{
    const QModelIndex cell = model->index(1, 1);
    model->itemFromIndex(cell)->setFlags(Qt::ItemIsEnabled);
    QVERIFY(model->flags(cell) & Qt::ItemIsDragEnabled);
    QVERIFY(model->flags(cell) & Qt::ItemIsDropEnabled);
    QCOMPARE(model->flags(QModelIndex()), model->QStandardItemModel::flags(QModelIndex()));
    QVERIFY(model->supportedDropActions() & Qt::MoveAction);
    QVERIFY(model->supportedDropActions() & Qt::CopyAction);
}

QTEST_GUILESS_MAIN(TestMyTableModel)
#include "tst_mytablemodel.moc"
