// The province map under the login dialog's labels: one outline per label, and every
// label lying inside its own province, so that the picture and the labels agree.

#include "gui/common/GuiMetrics.h"
#include "gui/login/LoginForm.h"
#include "gui/login/ProvinceMap.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QLabel>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

class TestProvinceMap : public QObject
{
    Q_OBJECT
private slots:
    void oneOutlinePerLabel();
    void everyLabelInsideItsProvince();
    void badPictureRefused_data();
    void badPictureRefused();
    void grabForLooking();
};

void TestProvinceMap::oneOutlinePerLabel()
{
    TProvinceShapes shapes;
    QString error;
    QVERIFY2(shapes.Load(ProvinceMapSvg(), &error), qPrintable(error));
    QCOMPARE(shapes.Size, QSizeF(400, 328));
    QSet<QString> ids;
    for (const auto &[id, path] : shapes.Paths) {
        QVERIFY2(!path.isEmpty(), qPrintable(id));
        ids.insert(id);
    }
    QSet<QString> codes;
    for (const TProvinceLabelRec &label : ProvinceLabels())
        codes.insert(label.Code);
    QCOMPARE(codes.size(), 34);
    QCOMPARE(ids, codes);
    QCOMPARE(shapes.Paths.size(), 34);
}

// The centre of each label as the dialog lays it out, and its corners pulled in by a
// quarter of the label, all lie in the label's own province.
void TestProvinceMap::everyLabelInsideItsProvince()
{
    TMainDM dm;
    TLoginForm form(dm);
    form.show();
    TProvinceMap *map = form.MapPanel;
    for (const TProvinceLabelRec &rec : ProvinceLabels()) {
        auto *label = map->findChild<QLabel *>(u"SSLabel"_s + rec.Code);
        QVERIFY(label);
        QCOMPARE(label->text(), rec.Text);
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(label->font().pixelSize(), ScaledPixels(14, &form));
        QVERIFY(label->font().bold());
        QCOMPARE(label->pos(), QPoint(ScaledPixels(rec.Left, &form), ScaledPixels(rec.Top, &form)));
        const QPoint centre = label->geometry().center();
        QVERIFY2(map->ProvinceAt(centre) == rec.Code,
                 qPrintable(u"%1 at (%2, %3) lies in '%4'"_s.arg(rec.Text)
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(map->ProvinceAt(centre))));
    }
}

void TestProvinceMap::badPictureRefused_data()
{
    QTest::addColumn<QByteArray>("svg");
    QTest::newRow("not XML") << QByteArray("<svg viewBox=\"0 0 4 4\"><path id=\"11\" d=\"M0 0 L1");
    QTest::newRow("no size") << QByteArray("<svg><path id=\"11\" d=\"M0 0 L1 1 L0 1 Z\"/></svg>");
    QTest::newRow("odd number") << QByteArray(
        "<svg viewBox=\"0 0 4 4\"><path id=\"11\" d=\"M0 0 L1 Z\"/></svg>");
}

void TestProvinceMap::badPictureRefused()
{
    QFETCH(QByteArray, svg);
    TProvinceShapes shapes;
    QString error;
    QVERIFY(!shapes.Load(svg, &error));
    QVERIFY(!error.isEmpty());
}

// ZK_GRAB_DIR=<folder> writes the dialog as a picture, to be looked at.
void TestProvinceMap::grabForLooking()
{
    const QString folder = qEnvironmentVariable("ZK_GRAB_DIR");
    if (folder.isEmpty())
        QSKIP("set ZK_GRAB_DIR to write the picture");
    ZKMainDef().EditionSuffix = MemberEditionSuffix;
    TMainDM dm;
    TLoginForm form(dm);
    form.MsgLabel->setText(u"请选择要登录的省份 (自治区、直辖市)，并输入相应的信息。"_s);
    form.show();
    form.SSLabelClick(form.findChild<QLabel *>(u"SSLabel32"_s));
    QVERIFY(form.grab().save(folder + u"/login.png"_s));
}

QTEST_MAIN(TestProvinceMap)
#include "tst_ProvinceMap.moc"
