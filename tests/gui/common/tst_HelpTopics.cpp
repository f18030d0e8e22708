// Every help topic the program names has its section on a help page, and the help window
// shows it.
#include "TestSupport.h"
#include "gui/common/HelpTopicList.h"
#include "gui/common/HelpTopics.h"
#include "store/ZKMainDef.h"

#include <QDialog>
#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString Page(const QString &name)
{
    return QString::fromUtf8(zktest::readFile(HelpFolder() + name));
}

// The numbers a source file passes as help topics: ShowHelpTopic(<number>, and the
// constants of the topic table.
QList<int> TopicsNamedIn(const QString &file, const QString &text)
{
    static const QRegularExpression call(u"ShowHelpTopic\\(\\s*(\\d+)"_s);
    static const QRegularExpression constant(u"inline constexpr int \\w+ = (\\d+);"_s);
    QList<int> topics;
    for (auto it = call.globalMatch(text); it.hasNext();)
        topics.append(it.next().captured(1).toInt());
    if (file.endsWith(u"/HelpTopicList.h"_s)) {
        for (auto it = constant.globalMatch(text); it.hasNext();)
            topics.append(it.next().captured(1).toInt());
    }
    return topics;
}

} // namespace

class TestHelpTopics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ZKMainDef().SetProgramFolder(zktest::programFolder()); }

    void everyTopicHasItsSection()
    {
        QSet<int> seen;
        for (const THelpTopicRec &rec : HelpTopicList()) {
            QVERIFY2(!seen.contains(rec.Topic), qPrintable(QString::number(rec.Topic)));
            seen.insert(rec.Topic);
            const QString page = Page(rec.Page);
            const QString anchor = u"<a name=\"%1\"></a>"_s.arg(HelpTopicAnchor(rec.Topic));
            QVERIFY2(page.count(anchor) == 1, qPrintable(rec.Page + u" lacks "_s + anchor));
            // The section's heading names it.
            const qsizetype at = page.indexOf(anchor);
            QVERIFY2(page.mid(at, 200).contains(rec.Title), qPrintable(rec.Title));
        }
    }

    void everyTopicNamedInTheSourcesIsListed()
    {
        QSet<int> listed;
        for (const THelpTopicRec &rec : HelpTopicList())
            listed.insert(rec.Topic);
        listed.insert(0); // the contents page
        QDirIterator files(zktest::sourceDir() + u"/src"_s, {u"*.cpp"_s, u"*.h"_s}, QDir::Files,
                           QDirIterator::Subdirectories);
        int named = 0;
        while (files.hasNext()) {
            const QString file = files.next();
            for (int topic : TopicsNamedIn(file, QString::fromUtf8(zktest::readFile(file)))) {
                ++named;
                QVERIFY2(listed.contains(topic), qPrintable(u"%1 in %2"_s.arg(topic).arg(file)));
            }
        }
        QVERIFY(named >= HelpTopicList().size());
    }

    void linksBetweenPagesResolve()
    {
        static const QRegularExpression link(u"href=\"([a-z]+\\.html)(?:#(t\\d+))?\""_s);
        QDirIterator pages(HelpFolder(), {u"*.html"_s}, QDir::Files);
        while (pages.hasNext()) {
            const QString from = pages.next();
            for (auto it = link.globalMatch(QString::fromUtf8(zktest::readFile(from))); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                QVERIFY2(QFileInfo::exists(HelpFolder() + m.captured(1)),
                         qPrintable(from + u" → "_s + m.captured(1)));
                if (!m.captured(2).isEmpty())
                    QVERIFY2(Page(m.captured(1)).contains(u"<a name=\"%1\">"_s.arg(m.captured(2))),
                             qPrintable(from + u" → "_s + m.captured(0)));
            }
        }
    }

    void theHelpWindowShowsATopic()
    {
        ShowHelpTopic(ZKHelp::Options);
        QTextBrowser *browser = HelpBrowser();
        QVERIFY(browser);
        QCOMPARE(browser->source().fileName(), u"options.html"_s);
        QCOMPARE(browser->source().fragment(), u"t14310"_s);
        QVERIFY(browser->toPlainText().contains(u"应用于所有批次、科类、计划性质"_s));
        QCOMPARE(browser->window()->windowTitle(), u"院校子系统帮助"_s);

        // 0, 10 and a number without a section show the contents.
        for (int topic : {0, 10, 99999}) {
            ShowHelpTopic(topic);
            QCOMPARE(HelpBrowser()->source().fileName(), u"index.html"_s);
            QVERIFY(HelpBrowser()->toPlainText().contains(u"目录和索引"_s));
        }
    }

    void theHelpWindowBelongsToAModalDialog()
    {
        QDialog dialog;
        dialog.setModal(true);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        SetWindowHelpTopic(&dialog, ZKHelp::ChangeLQZT);
        QTest::keyClick(&dialog, Qt::Key_F1); // F1 shows the window's topic
        QTextBrowser *browser = HelpBrowser();
        QVERIFY(browser);
        QCOMPARE(browser->window()->parentWidget(), &dialog);
        QVERIFY(browser->window()->isVisible());
        QCOMPARE(browser->source().fragment(), u"t14210"_s);
        dialog.close();
    }
};

QTEST_MAIN(TestHelpTopics)
#include "tst_HelpTopics.moc"
