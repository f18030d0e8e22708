// The report engine's dialogs: their captions by component name, and the ways a report
// leaves them (file, preview, cancel).
#include "gui/stats/ReportDialogs.h"
#include "gui/stats/ReportPreviewWindow.h"
#include "gui/stats/ReportSetupDialog.h"
#include "gui/stats/ReportStatusForm.h"
#include "report/ReportDocument.h"
#include "store/ZKError.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A document of three pages, each with one text.
TReportDocument ThreePages()
{
    TReportDocument doc;
    doc.Name = u"TDDReport"_s;
    for (int p = 1; p <= 3; ++p) {
        TReportDrawOp op;
        op.Rect = QRectF(1, 1, 5, 0.5);
        op.Text = u"第%1页的内容"_s.arg(p);
        op.Font = QFont(u"WenQuanYi Micro Hei"_s, 12);
        op.Align = Qt::AlignLeft | Qt::AlignVCenter;
        doc.Pages.push_back({op});
    }
    return doc;
}

QString CaptionOf(const QObject *o)
{
    if (const auto *b = qobject_cast<const QAbstractButton *>(o))
        return b->text();
    if (const auto *g = qobject_cast<const QGroupBox *>(o))
        return g->title();
    if (const auto *l = qobject_cast<const QLabel *>(o))
        return l->text();
    if (const auto *a = qobject_cast<const QAction *>(o))
        return a->text();
    if (const auto *m = qobject_cast<const QMenu *>(o))
        return m->title();
    return u"<no caption>"_s;
}

QString PdfText(const QString &pdf)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestReportDialogs : public QObject
{
    Q_OBJECT

private slots:
    void setupDialogCaptions_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("caption");
        const QList<std::pair<QString, QString>> rows{{u"GroupBox1"_s, u"选中的打印机"_s},
                                                      {u"GroupBox2"_s, u"选项"_s},
                                                      {u"DestGB"_s, u"报表输出到"_s},
                                                      {u"PrinterRB"_s, u"打印机"_s},
                                                      {u"PreviewRB"_s, u"打印预览"_s},
                                                      {u"FileRB"_s, u"文件"_s},
                                                      {u"Label1"_s, u"格式:"_s},
                                                      {u"CopiesLabel"_s, u"份数(&C)"_s},
                                                      {u"CollateCK"_s, u"自分页"_s},
                                                      {u"DuplexCK"_s, u"双面打"_s},
                                                      {u"bbtnOK"_s, u"确定"_s},
                                                      {u"CancelBB"_s, u"取消"_s},
                                                      {u"SetupBB"_s, u"设置"_s}};
        for (const auto &[component, caption] : rows)
            QTest::newRow(qPrintable(component)) << component << caption;
    }
    void setupDialogCaptions()
    {
        QFETCH(QString, component);
        TReportSetupDialog dialog(u"TDDReport"_s);
        QCOMPARE(dialog.objectName(), u"RPSetupForm"_s);
        const QObject *o = dialog.findChild<QObject *>(component);
        QVERIFY2(o, qPrintable(component));
        QTEST(CaptionOf(o), "caption");
    }

    void previewCaptions_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("caption");
        const QList<std::pair<QString, QString>> rows{{u"ToolButton1"_s, u"打开其他报表"_s},
                                                      {u"ToolButton2"_s, u"保存报表"_s},
                                                      {u"ToolButton3"_s, u"打印报表"_s},
                                                      {u"ToolButton5"_s, u"移到第一页"_s},
                                                      {u"ToolButton6"_s, u"移到上一页"_s},
                                                      {u"ToolButton7"_s, u"移到下一页"_s},
                                                      {u"ToolButton8"_s, u"移到最后一页"_s},
                                                      {u"ToolButton11"_s, u"放大 (+)"_s},
                                                      {u"ToolButton12"_s, u"缩小 (-)"_s},
                                                      {u"ToolButton13"_s, u"缩放到与页面宽度一致"_s},
                                                      {u"ToolButton14"_s, u"缩放到与页面一致"_s},
                                                      {u"ToolButton15"_s, u"退出预览"_s},
                                                      {u"Panel1"_s, u"页"_s},
                                                      {u"Panel3"_s, u"缩放"_s},
                                                      {u"File1"_s, u"文件(&F)"_s},
                                                      {u"Open1"_s, u"打开(&O)"_s},
                                                      {u"SaveAs1"_s, u"另存为(&S)"_s},
                                                      {u"Print1"_s, u"打印(&P)"_s},
                                                      {u"Exit1"_s, u"退出(&X)"_s},
                                                      {u"Page1"_s, u"页面(&P)"_s},
                                                      {u"First1"_s, u"第一页(&F)"_s},
                                                      {u"Previous1"_s, u"上一页(&P)"_s},
                                                      {u"Next1"_s, u"下一页(&N)"_s},
                                                      {u"Last1"_s, u"最后一页(&L)"_s},
                                                      {u"GotoPage1"_s, u"跳到页面 # (&G)"_s},
                                                      {u"Zoom1"_s, u"缩放(&Z)"_s},
                                                      {u"In1"_s, u"放大(&I)"_s},
                                                      {u"In2"_s, u"放大(&I)"_s},
                                                      {u"Out1"_s, u"缩小(&O)"_s},
                                                      {u"Out2"_s, u"缩小(&O)"_s},
                                                      {u"Page2"_s, u"与页面一致(&P)"_s},
                                                      {u"PageWidth1"_s, u"与页面宽度一致(&W)"_s}};
        for (const auto &[component, caption] : rows)
            QTest::newRow(qPrintable(component)) << component << caption;
    }
    void previewCaptions()
    {
        QFETCH(QString, component);
        const TReportDocument doc = ThreePages();
        QPrinter printer;
        TReportPreviewWindow preview(doc, printer);
        QCOMPARE(preview.objectName(), u"RavePreviewForm"_s);
        const QObject *o = preview.findChild<QObject *>(component);
        QVERIFY2(o, qPrintable(component));
        QTEST(CaptionOf(o), "caption");
        if (const auto *a = qobject_cast<const QAction *>(o); a && component.startsWith(u"ToolButton"_s))
            QCOMPARE(a->toolTip(), CaptionOf(o));
    }

    void thePreviewPagesAndZooms()
    {
        const TReportDocument doc = ThreePages();
        QPrinter printer;
        doc.PreparePrinter(printer);
        TReportPreviewWindow preview(doc, printer);
        QVERIFY(preview.windowState() & Qt::WindowMaximized);
        preview.show();
        preview.Preview->updatePreview();
        QCOMPARE(preview.Preview->pageCount(), 3);
        QCOMPARE(preview.ZoomPanel->text(), u"100%"_s);
        preview.Last1->trigger();
        QCOMPARE(preview.PagePanel->text(), u"3 / 3"_s);
        preview.Previous1->trigger();
        QCOMPARE(preview.PagePanel->text(), u"2 / 3"_s);
        preview.Next1->trigger();
        preview.Next1->trigger();
        QCOMPARE(preview.PagePanel->text(), u"3 / 3"_s);
        preview.In1->trigger();
        QCOMPARE(preview.ZoomPanel->text(), u"125%"_s);
        preview.Out1->trigger();
        QCOMPARE(preview.ZoomPanel->text(), u"100%"_s);
    }

    void theOutputGoesWhereTheSetupSays()
    {
        const TReportDocument doc = ThreePages();
        QTemporaryDir dir;
        TReportDialogOutput output;
        QStringList shown;
        TReportDestination destination = TReportDestination::File;
        int answer = QDialog::Accepted;
        output.ExecDialog = [&](QDialog &dialog) {
            shown.append(dialog.objectName());
            if (auto *setup = qobject_cast<TReportSetupDialog *>(&dialog))
                setup->SetDestination(destination);
            return answer;
        };
        output.ChooseFileName = [&dir](const QString &name) { return dir.filePath(name); };

        QVERIFY(output.Output(doc));
        const QString text = PdfText(dir.filePath(u"TDDReport.pdf"_s));
        QVERIFY2(text.contains(u"第1页的内容"_s) && text.contains(u"第3页的内容"_s), qPrintable(text));

        destination = TReportDestination::Preview;
        QVERIFY(output.Output(doc));
        answer = QDialog::Rejected;
        QVERIFY(!output.Output(doc));
        QCOMPARE(shown,
                 (QStringList{u"RPSetupForm"_s, u"RPSetupForm"_s, u"RavePreviewForm"_s, u"RPSetupForm"_s}));

        // A file that cannot be written is an error, not a silent success.
        answer = QDialog::Accepted;
        destination = TReportDestination::File;
        output.ChooseFileName = [](const QString &) { return u"/nonexistent-folder/x.pdf"_s; };
        QVERIFY_THROWS_EXCEPTION(EZKError, output.Output(doc));
    }

    void theStatusWindowCancels()
    {
        const TReportDocument doc = ThreePages();
        QTemporaryDir dir;
        TReportStatusForm status(u"TDDReport"_s);
        QCOMPARE(status.objectName(), u"RPStatusForm"_s);
        QCOMPARE(status.CancelButton->text(), u"取消"_s);
        QCOMPARE(status.CancelButton->objectName(), u"CancelButton"_s);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(u"x.pdf"_s));
        doc.PreparePrinter(printer);
        QList<int> pages;
        const bool done = doc.Paint(printer, 0, 0, [&](int page, int count) {
            pages.append(page);
            if (page == 2)
                status.CancelButton->click();
            return status.ShowPage(page, count);
        });
        QVERIFY(!done);
        QCOMPARE(pages, (QList<int>{1, 2}));
        // The unfinished file is not left behind.
        QVERIFY(!QFile::exists(dir.filePath(u"x.pdf"_s)));
        QCOMPARE(status.StatusLabel->text(), u"正在打印第 2 页, 共 3 页"_s);
    }
};

QTEST_MAIN(TestReportDialogs)
#include "tst_ReportDialogs.moc"
