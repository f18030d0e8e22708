// The export dialog "导出投档单": its list of sets, the check buttons, the file choice
// that enables "确定", the save dialog of the screen export, and both exports run
// through the entry point of the main window's commands.
#include "ExportFixture.h"
#include "gui/export/DumpToFileForm.h"
#include "link/BgTaskThread.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Runs f on the modal window as soon as it is shown.
template<class W, class F>
void WhenModal(F f)
{
    QTimer::singleShot(0, [f] {
        auto *w = qobject_cast<W *>(QApplication::activeModalWidget());
        QVERIFY(w);
        f(w);
    });
}

QList<Qt::CheckState> Checks(const QTreeWidget *list)
{
    QList<Qt::CheckState> states;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        states.append(list->topLevelItem(i)->checkState(0));
    return states;
}

// A task thread that is never started: only its foreground long-task marks count.
class TIdleTaskThread : public TBgTaskThread
{
public:
    ~TIdleTaskThread() override { TerminateAndWait(); }
    void DoConnectToHost(QVariantList &, QVariantList &) override {}
    void DoDisconnect(QVariantList &, QVariantList &) override {}
    void DoGetPhoto(QVariantList &, QVariantList &) override {}
    void DoGetQBZY(QVariantList &, QVariantList &) override {}
};

// Notes at each stage whether a foreground long task was marked.
class TMarkWatchingProgress : public TRecordingProgressSink
{
public:
    void ShowProgress(const QString &caption, const QString &text, int base, int ratio, int steps) override
    {
        IdleAtStages.append(BgTaskThread->IsFgLongTaskIdle());
        TRecordingProgressSink::ShowProgress(caption, text, base, ratio, steps);
    }
    QList<bool> IdleAtStages;
};

} // namespace

class TestDumpToFileForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        W = std::make_unique<TExportWorld>();
        QVERIFY(W->Prepare());
        Sets = W->Sets();
        QVERIFY(Sets.size() >= 3);
        QVERIFY(W->OpenSet(Sets[1]));
    }

    void listShowsTheSetsWithTheCurrentOneChecked()
    {
        TDumpToFileForm form(W->Dm());
        form.Prepare();
        QCOMPARE(form.windowTitle(), u"导出投档单"_s);
        QCOMPARE(form.KLJHXZList->topLevelItemCount(), Sets.size());
        // The first column has the check box's room on top of its 90.
        QVERIFY(form.KLJHXZList->columnWidth(0) > 90 && form.KLJHXZList->columnWidth(0) < 130);
        QCOMPARE(form.KLJHXZList->columnWidth(1), 80);
        QCOMPARE(form.KLJHXZList->columnWidth(2), 111);
        for (int i = 0; i < Sets.size(); ++i) {
            const QTreeWidgetItem *item = form.KLJHXZList->topLevelItem(i);
            QCOMPARE(item->text(0), Sets[i].PCDM + W->Dm().GetDMMC(TD_PCDM, Sets[i].PCDM.trimmed()));
            QCOMPARE(item->text(1), Sets[i].KLDM + W->Dm().GetDMMC(TD_KLDM, Sets[i].KLDM.trimmed()));
            QCOMPARE(item->text(2), Sets[i].JHXZ + W->Dm().GetDMMC(TD_JHXZDM, Sets[i].JHXZ.trimmed()));
            QCOMPARE(item->checkState(0), i == 1 ? Qt::Checked : Qt::Unchecked);
        }
        QVERIFY(!form.KLJHXZList->topLevelItem(1)->text(0).isEmpty());
        QVERIFY(form.FileNameEdit->isReadOnly());
        QVERIFY(form.FileNameEdit->text().isEmpty());
        QVERIFY(!form.OKBtn->isEnabled());
        QCOMPARE(form.CheckedSets().size(), 1);
        QCOMPARE(form.CheckedSets()[0].JHXZ, Sets[1].JHXZ);
    }

    void checkAllAndInvert()
    {
        TDumpToFileForm form(W->Dm());
        form.Prepare();
        const int n = form.KLJHXZList->topLevelItemCount();
        form.SelectAllBtn->click();
        QCOMPARE(Checks(form.KLJHXZList), QList<Qt::CheckState>(n, Qt::Checked));
        form.KLJHXZList->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        form.InvertSelectBtn->click();
        QList<Qt::CheckState> expected(n, Qt::Unchecked);
        expected[0] = Qt::Checked;
        QCOMPARE(Checks(form.KLJHXZList), expected);
    }

    void choosingAFileEnablesOk()
    {
        TDumpToFileForm form(W->Dm());
        form.Prepare();
        QStringList asked;
        QString answer;
        form.ChooseFile = [&](const QString &caption, const QString &defaultName) {
            asked = {caption, defaultName};
            return answer;
        };
        form.FileBtn->click();
        QCOMPARE(asked, (QStringList{u"导出投档单"_s, u"tdd"_s}));
        QVERIFY(!form.OKBtn->isEnabled());
        answer = u"/somewhere/tdd.xls"_s;
        form.FileBtn->click();
        QCOMPARE(form.FileNameEdit->text(), answer);
        QVERIFY(form.OKBtn->isEnabled());
    }

    void saveDialogFilters()
    {
        TZKMainDef &def = ZKMainDef();
        QCOMPARE(
            TDumpToFileForm::FileFilters(),
            (QStringList{u"dBase IV 文件(*.dbf)"_s, u"Excel 文件(*.xls)"_s, u"Excel 2007 文件(*.xlsx)"_s}));
        def.AceAvailable = false;
        QCOMPARE(TDumpToFileForm::FileFilters(),
                 (QStringList{u"dBase IV 文件(*.dbf)"_s, u"Excel 文件(*.xls)"_s}));
        def.AceAvailable = true;
    }

    void dossierExportThroughTheCommand_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("anyChecked");
        QTest::newRow("确定 with every set") << true << true;
        QTest::newRow("确定 with no set checked ends silently") << true << false;
        QTest::newRow("取消") << false << true;
    }
    void dossierExportThroughTheCommand()
    {
        QFETCH(bool, ok);
        QFETCH(bool, anyChecked);
        const QString file = W->NewFolder() + u"tdd.xlsx"_s;
        W->ResetWindows();
        WhenModal<TDumpToFileForm>([&](TDumpToFileForm *form) {
            form->ChooseFile = [&](const QString &, const QString &) { return file; };
            form->FileBtn->click();
            form->SelectAllBtn->click();
            if (!anyChecked)
                form->InvertSelectBtn->click();
            (ok ? form->OKBtn : form->CancelBtn)->click();
        });
        TDumpToFileForm::Execute(W->Dm(), false, W->Progress, W->Messages);
        QVERIFY(W->Univ().Connected());
        if (!ok || !anyChecked) {
            QVERIFY2(W->Messages.Messages.isEmpty(), qPrintable(W->Messages.Messages.value(0).Text));
            QVERIFY(W->Progress.Calls.isEmpty());
            QVERIFY(!QFile::exists(file));
            return;
        }
        QCOMPARE(W->Messages.Messages.size(), 1);
        QCOMPARE(W->Messages.Messages[0].Text, u"已完成对所选考生信息数据表的导出。"_s);
        const TReadBack back = ReadBack(u"xlsx"_s, {file});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        QCOMPARE(back.Tables[u"T_TDD"_s].size() - 1, W->Value(u"select count(*) from T_TDD"_s).toInt());
    }

    void dossierExportIsAForegroundLongTask()
    {
        TIdleTaskThread thread;
        BgTaskThread = &thread;
        const auto unset = qScopeGuard([] { BgTaskThread = nullptr; });
        const QString file = W->NewFolder() + u"tdd.dbf"_s;
        TMarkWatchingProgress progress;
        W->ResetWindows();
        bool idleInDialog = true;
        WhenModal<TDumpToFileForm>([&](TDumpToFileForm *form) {
            idleInDialog = thread.IsFgLongTaskIdle();
            form->ChooseFile = [&](const QString &, const QString &) { return file; };
            form->FileBtn->click();
            form->OKBtn->click();
        });
        TDumpToFileForm::Execute(W->Dm(), false, progress, W->Messages);
        QVERIFY(!idleInDialog);
        QCOMPARE(progress.IdleAtStages, (QList<bool>{false, false, false}));
        QVERIFY(thread.IsFgLongTaskIdle());
        QCOMPARE(W->Messages.Messages.size(), 1);
    }

    void screenExportThroughTheCommand()
    {
        const QString file = W->NewFolder() + u"t_tddxx.dbf"_s;
        W->ResetWindows();
        QStringList seen;
        WhenModal<QFileDialog>([&](QFileDialog *dialog) {
            seen = dialog->nameFilters();
            seen.append(dialog->defaultSuffix());
            seen.append(dialog->windowTitle());
            dialog->selectFile(file);
            static_cast<QDialog *>(dialog)->accept();
        });
        TDumpToFileForm::Execute(W->Dm(), true, W->Progress, W->Messages);
        QCOMPARE(seen,
                 (TDumpToFileForm::FileFilters() + QStringList{u"dbf"_s, u"导出屏幕显示的投档单信息"_s}));
        QCOMPARE(W->Messages.Messages.size(), 1);
        QCOMPARE(W->Messages.Messages[0].Text, u"已完成对屏幕显示的投档单信息的导出。"_s);
        QVERIFY(QFile::exists(file));
        QCOMPARE(QDir(QFileInfo(file).path()).entryList(QDir::Files), QStringList{u"t_tddxx.dbf"_s});
    }

    void anExportErrorIsShownWithItsCaption()
    {
        const QString file = W->NewFolder() + u"missing/t_tddxx.dbf"_s;
        W->ResetWindows();
        WhenModal<QFileDialog>([&](QFileDialog *dialog) {
            dialog->selectFile(file);
            static_cast<QDialog *>(dialog)->accept();
        });
        TDumpToFileForm::Execute(W->Dm(), true, W->Progress, W->Messages);
        QCOMPARE(W->Messages.Messages.size(), 1);
        QCOMPARE(W->Messages.Messages[0].Caption, u"导出屏幕显示的投档单信息"_s);
        QCOMPARE(W->Messages.Messages[0].Icon, TMsgIcon::Error);
        QCOMPARE(W->Progress.Calls.value(W->Progress.Calls.size() - 1).Kind, u"hide"_s);
    }

    void accessibleNames()
    {
        TDumpToFileForm form(W->Dm());
        QCOMPARE(form.KLJHXZList->accessibleName(), u"导出考生范围"_s);
        bool buddied = false;
        for (const QLabel *label : form.findChildren<QLabel *>())
            buddied = buddied || label->buddy() == form.FileNameEdit;
        QVERIFY(buddied);
    }

private:
    std::unique_ptr<TExportWorld> W;
    QList<TExportSetRow> Sets;
};

QTEST_MAIN(TestDumpToFileForm)
#include "tst_DumpToFileForm.moc"
