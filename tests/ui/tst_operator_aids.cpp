// What helps the operator find their way: the keys of the menus, the status bar's hints
// and sizes, recent files, the read-only file name, where the preview pen starts a run,
// and where the virtual plotter's view opens.
#include "ui_test_support.h"

#include "hpgl/classic_reader.h"
#include "run/preview_sink.h"

#include "ui/main_window.h"
#include "ui/preview_widget.h"
#include "ui/virtual_plotter_view.h"
#include "ui/widgets.h"

#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

// The menu of the menu bar that holds `item`, or nullptr.
} // namespace

class TestOperatorAids : public QObject {
    Q_OBJECT
private slots:
    void fileNameBoxIsReadOnly_data();
    void fileNameBoxIsReadOnly();
};

void TestOperatorAids::fileNameBoxIsReadOnly_data()
{
    QTest::addColumn<bool>("fileChosen");
    QTest::newRow("before a file") << false;
    QTest::newRow("after a file") << true;
}

void TestOperatorAids::fileNameBoxIsReadOnly()
{
    QFETCH(bool, fileChosen);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QString path = rig.writeFile("plot.plt", "PU0,0;PD400,0;PU;");
    if (fileChosen)
        w.openPlotFile(path);
    QVERIFY(w.fileNameBox->isReadOnly());
    QTest::keyClicks(w.fileNameBox, QStringLiteral("typed"));
    QCOMPARE(w.fileNameBox->text(), fileChosen ? path : QString());
    QCOMPARE(QString::fromStdString(w.plotFile()), fileChosen ? path : QString());
}

QTEST_MAIN(TestOperatorAids)
#include "tst_operator_aids.moc"
