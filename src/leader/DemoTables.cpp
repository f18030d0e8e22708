// The dossier package's recordsets, the all-wishes rows and the ZIP writer of the
// demo packages.

#include "leader/DemoTables.h"

#include "leader/DemoNames.h"
#include "leader/DemoRandom.h"
#include "store/Adtg.h"
#include "store/ZKError.h"

#include <QDate>
#include <QDateTime>
#include <archive.h>
#include <archive_entry.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

la_ssize_t AppendToArray(archive *, void *clientData, const void *buffer, size_t length)
{
    static_cast<QByteArray *>(clientData)->append(static_cast<const char *>(buffer), qsizetype(length));
    return la_ssize_t(length);
}

TDbValue OleDate(const QDate &date)
{
    return TOleDate{double(QDate(1899, 12, 30).daysTo(date))};
}

QString CandidateText(const TDemoCandidate &c, const char16_t *name)
{
    return c.Values.value(QString::fromUtf16(name)).AsString();
}

} // namespace

QByteArray ZipMembers(const QList<TZipMember> &members)
{
    QByteArray bytes;
    std::unique_ptr<archive, int (*)(archive *)> a(archive_write_new(), archive_write_free);
    if (!a || archive_write_set_format_zip(a.get()) != ARCHIVE_OK ||
        archive_write_set_options(a.get(), "zip:compression=deflate") != ARCHIVE_OK ||
        archive_write_set_bytes_in_last_block(a.get(), 1) != ARCHIVE_OK ||
        archive_write_open(a.get(), &bytes, nullptr, AppendToArray, nullptr) != ARCHIVE_OK)
        throw EZKError(u"Cannot start a ZIP archive."_s);
    // A fixed time: the same seed gives the same bytes.
    const qint64 time = QDateTime(QDate(DemoYear, 7, 10), QTime(8, 0), Qt::UTC).toSecsSinceEpoch();
    for (const TZipMember &m : members) {
        std::unique_ptr<archive_entry, void (*)(archive_entry *)> e(archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname_utf8(e.get(), m.Name.toUtf8().constData());
        archive_entry_set_filetype(e.get(), AE_IFREG);
        archive_entry_set_perm(e.get(), 0644);
        archive_entry_set_size(e.get(), m.Bytes.size());
        archive_entry_set_mtime(e.get(), time, 0);
        if (archive_write_header(a.get(), e.get()) != ARCHIVE_OK ||
            archive_write_data(a.get(), m.Bytes.constData(), size_t(m.Bytes.size())) != m.Bytes.size())
            throw EZKError(u"Cannot add %1 to a ZIP archive: %2"_s.arg(
                m.Name, QString::fromLocal8Bit(archive_error_string(a.get()))));
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK)
        throw EZKError(u"Cannot finish a ZIP archive."_s);
    return bytes;
}

TZipMember RecordsetMember(const QString &name, const TRecordset &set)
{
    return {name, SaveAdtg(set)};
}

TRecordset DossierRecordset(const TDemoProvince &province, const QList<const TDemoCandidate *> &candidates)
{
    TRecordset set(TDDFields(province.Scheme));
    QList<TDbValue> row(set.ColumnCount());
    for (const TDemoCandidate *c : candidates) {
        for (int i = 0; i < set.ColumnCount(); ++i)
            row[i] = c->Values.value(set.Column(i).Name);
        set.AddRow(row);
    }
    return set;
}

TRecordset ProficiencyRecordset(const QList<const TDemoCandidate *> &candidates, uint64_t seed)
{
    TRecordset set(KSHKCJFields());
    static const QStringList grades{u"A"_s, u"B"_s, u"C"_s, u"D"_s};
    for (const TDemoCandidate *c : candidates) {
        const QString ksh = c->KSH();
        TDemoRandom rng(seed, ksh + u"/hkcj"_s);
        const int items = rng.Range(8, 10);
        for (int i = 1; i <= items; ++i) {
            const QString grade = i > 8 ? u"合格"_s : grades.at(rng.Weighted({40, 35, 20, 5}));
            set.AddRow({ksh, u"%1"_s.arg(i, 2, 10, QLatin1Char('0')), grade});
        }
    }
    return set;
}

TRecordset ResumeRecordset(const TDemoProvince &province, const QList<const TDemoCandidate *> &candidates,
                           uint64_t seed)
{
    TRecordset set(KSJLFields());
    static const QStringList posts{u"学生"_s,     u"学生"_s,       u"班长"_s,
                                   u"学习委员"_s, u"团支部书记"_s, u"课代表"_s};
    for (const TDemoCandidate *c : candidates) {
        const QString ksh = c->KSH();
        TDemoRandom rng(seed, ksh + u"/jl"_s);
        const QString district = province.Districts.value(CandidateText(*c, u"DQDM").toInt() - 1);
        const int y = DemoYear;
        const QString stages[3][2] = {
            {u"在"_s + demonames::PrimarySchoolName(rng, district) + u"学习"_s,
             rng.Percent(30) ? u"少先队中队长"_s : u"学生"_s},
            {u"在"_s + demonames::SchoolName(rng, district) + u"初中部学习"_s, rng.Pick(posts)},
            {u"在"_s + CandidateText(*c, u"ZXMC") + u"高中部学习"_s, rng.Pick(posts)}};
        const QDate from[3] = {QDate(y - 12, 9, 1), QDate(y - 6, 9, 1), QDate(y - 3, 9, 1)};
        const QDate to[3] = {QDate(y - 6, 7, 1), QDate(y - 3, 7, 1), QDate(y, 6, 10)};
        for (int i = 0; i < 3; ++i)
            set.AddRow({ksh, OleDate(from[i]), OleDate(to[i]), stages[i][0], stages[i][1],
                        QString(demonames::PersonName(rng, rng.Percent(60)) + u"老师"_s)});
    }
    return set;
}

namespace {

QList<TDbValue> HealthRow(const TDemoCandidate &c, const QList<TRecordField> &fields, TDemoRandom &rng)
{
    const bool female = CandidateText(c, u"XBDM") == u"2"_s;
    const QString conclusion = CandidateText(c, u"TJJLDM");
    const auto restricted = [&](const char16_t *code) {
        return c.Restrictions.contains(QString::fromUtf16(code));
    };
    const double eyeLeft = rng.Range(43, 52) / 10.0, eyeRight = rng.Range(43, 52) / 10.0;
    QHash<QString, TDbValue> v;
    v[u"KSH"_s] = c.KSH();
    v[u"TJJLDM"_s] = conclusion;
    for (int i = 0; i < 6; ++i)
        v[u"ZYSXDM"_s + QString::number(i + 1)] = c.Restrictions.value(i, u"  "_s);
    v[u"TJRQ"_s] = OleDate(QDate(DemoYear, 4, rng.Range(1, 28)));
    v[u"TJYYMC"_s] = u"第%1体检站"_s.arg(rng.Range(1, 9));
    const bool history = rng.Percent(4);
    v[u"JWBSBZ"_s] = history ? u"0"_s : u"1"_s;
    v[u"JWBS"_s] = history ? u"阑尾炎手术史"_s : QString();
    v[u"NK_FYQK"_s] = QString::number(rng.Weighted({0, 80, 17, 3}));
    v[u"XY"_s] = u"%1/%2"_s.arg(rng.Range(100, 130)).arg(rng.Range(60, 85));
    v[u"WK_SG"_s] = double(female ? rng.Range(152, 175) : rng.Range(162, 188));
    v[u"WK_TZ"_s] = double(female ? rng.Range(42, 68) : rng.Range(50, 85));
    v[u"YK_LYSL_Z"_s] = eyeLeft;
    v[u"YK_LYSL_Y"_s] = eyeRight;
    if (std::min(eyeLeft, eyeRight) < 4.9) {
        v[u"YK_JZSL_Z"_s] = 5.0;
        v[u"YK_JZSL_Y"_s] = 5.0;
    }
    v[u"YK_SJJCT"_s] = rng.Percent(90) ? u"1"_s : u"2"_s;
    v[u"YK_YB"_s] = QString();
    v[u"EB_TL_Z"_s] = 5.0;
    v[u"EB_TL_Y"_s] = 5.0;
    v[u"EB_XJ"_s] = restricted(u"04") ? u"0"_s : u"1"_s;
    v[u"EB_BB"_s] = QString();
    v[u"KQ_SFKC"_s] = restricted(u"05") ? u"0"_s : u"1"_s;
    for (const QString &name : TJXXNormalOtherColumns())
        v[name] = rng.Percent(97) ? u"1"_s : u"2"_s;
    // Colour vision follows the restrictions.
    v[u"YK_SJ"_s] = restricted(u"01") || restricted(u"02") ? u"2"_s : u"1"_s;
    v[u"ZJYJ"_s] =
        conclusion == u"1"_s ? u"合格"_s : (conclusion == u"2"_s ? u"专业受限，见受限代码"_s : u"不合格"_s);
    QList<TDbValue> row;
    for (const TRecordField &f : fields)
        row.append(v.value(f.Name));
    return row;
}

} // namespace

TRecordset HealthRecordset(const QList<const TDemoCandidate *> &candidates, uint64_t seed)
{
    TRecordset set(TJXXFields());
    for (const TDemoCandidate *c : candidates) {
        TDemoRandom rng(seed, c->KSH() + u"/tjxx"_s);
        set.AddRow(HealthRow(*c, set.Columns(), rng));
    }
    return set;
}

void AddAllWishes(TRecordset &rows, const TDemoProvince &province, int setIndex, const TDemoCandidate &c,
                  uint64_t seed)
{
    const TDemoSet &set = province.Sets.at(setIndex);
    const QString ksh = c.KSH();
    TDemoRandom rng(seed, ksh + u"/qbzy"_s);
    const QList<demonames::TMajorInfo> pool = demonames::MajorPool(set.Pool);
    const auto addRow = [&](const QString &pcdm, int wish, const QString &tddw, const QString &yxdh,
                            const QString &yxmc, const QString &zytz, const QString &zytj,
                            const QString &dxtj, const QList<QPair<QString, QString>> &majors) {
        QList<TDbValue> row{ksh,  pcdm, set.KLDM, set.JHXZ, QString::number(wish), tddw, yxdh,
                            yxmc, zytz, zytj,     dxtj};
        for (int i = 0; i < 6; ++i)
            row +=
                {majors.value(i).first.isEmpty() ? u"  "_s : majors.value(i).first, majors.value(i).second};
        rows.AddRow(row);
    };
    const int own = CandidateText(c, u"TDZY").toInt();
    const int wishes = std::max(own, rng.Range(3, 6));
    for (int wish = 1; wish <= wishes; ++wish) {
        if (wish == own) {
            QList<QPair<QString, QString>> majors;
            for (int i = 0; i < 6 && c.Wishes[i] >= 0; ++i)
                majors.append({set.Majors.at(c.Wishes[i]).ZYDH, set.Majors.at(c.Wishes[i]).ZYMC});
            addRow(set.PCDM, wish, set.Units.at(c.Tddw).TDDWDM, province.YXDM, province.YXMC,
                   set.JHXZ == u"1"_s ? u"A"_s : u"AB"_s, CandidateText(c, u"ZYZYTJ"),
                   CandidateText(c, u"DXTJ"), majors);
            continue;
        }
        const int other = rng.Below(100);
        QList<QPair<QString, QString>> majors;
        for (int i = 0, n = rng.Range(2, 6); i < n; ++i)
            majors.append({u"%1"_s.arg(rng.Range(1, 40), 2, 10, QLatin1Char('0')), rng.Pick(pool).ZYMC});
        addRow(set.PCDM, wish, u"%1"_s.arg(100 + other * 7 % 900, 3, 10, QLatin1Char('0')),
               u"1%1"_s.arg(other * 37 % 10000, 4, 10, QLatin1Char('0')), demonames::OtherInstitution(other),
               u"A"_s, rng.Percent(80) ? u"1"_s : u"0"_s, u"0"_s, majors);
    }
    // Wishes of the next batch, for institutions that admit later.
    const QString next = QString::number(set.PCDM.toInt() + 1);
    for (int wish = 1, n = rng.Range(0, 3); wish <= n; ++wish) {
        const int other = 100 + rng.Below(100);
        addRow(next, wish, u"%1"_s.arg(100 + other * 7 % 900, 3, 10, QLatin1Char('0')),
               u"1%1"_s.arg(other * 37 % 10000, 4, 10, QLatin1Char('0')), demonames::OtherInstitution(other),
               u"A"_s, u"1"_s, u"0"_s,
               {{u"%1"_s.arg(rng.Range(1, 40), 2, 10, QLatin1Char('0')), rng.Pick(pool).ZYMC}});
    }
}
