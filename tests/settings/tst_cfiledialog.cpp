#include "CFileDialog.h"

#include <QComboBox>
#include <QListView>
#include <QtTest>

class TestCFileDialog : public QObject
{
    Q_OBJECT

    // The names the dialog lists in its folder, sorted.
    static QStringList Listed(QFileDialog &dlg)
    {
        auto *list = dlg.findChild<QListView *>(u"listView"_qs);
        QStringList names;
        if (!list)
            return names;
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row)
            names << list->model()->index(row, 0, root).data().toString();
        names.sort();
        return names;
    }

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_qs)); }

    void semicolonFiltersShownAsWrittenAndApplied()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString &name : {u"a.htm"_qs, u"b.html"_qs, u"c.txt"_qs, u"noext"_qs}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFileDialog dlg(nullptr, QString(), dir.path());
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        const QStringList filters {u"HTML Documents(*.htm;*.html)"_qs, u"All Files(*.*)"_qs};
        const QStringList shown = CFileDialog::SetNameFilters(dlg, filters);
        QCOMPARE(shown.size(), 2);

        auto *types = dlg.findChild<QComboBox *>(u"fileTypeCombo"_qs);
        QVERIFY(types);
        QCOMPARE(types->itemText(0), filters.at(0));
        QCOMPARE(types->itemText(1), filters.at(1));
        QTRY_COMPARE(Listed(dlg), (QStringList {u"a.htm"_qs, u"b.html"_qs}));

        // "*.*" is every file, one without an extension too.
        dlg.selectNameFilter(shown.at(1));
        QTRY_COMPARE(Listed(dlg),
                     (QStringList {u"a.htm"_qs, u"b.html"_qs, u"c.txt"_qs, u"noext"_qs}));
    }

    void blankSeparatedFiltersLeftAlone()
    {
        QFileDialog dlg;
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        const QStringList filters {u"Images (*.png *.jpg)"_qs, u"Everything (*)"_qs};
        QCOMPARE(CFileDialog::SetNameFilters(dlg, filters), filters);
        QVERIFY(!dlg.testOption(QFileDialog::HideNameFilterDetails));
    }
};

QTEST_MAIN(TestCFileDialog)
#include "tst_cfiledialog.moc"
