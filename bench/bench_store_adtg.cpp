// Writing and reading a dossier-like recordset file (20,000 candidates, about 100
// columns) in MB/s, against a plain copy-and-checksum pass over the same bytes
// measured in the same run.
#include "store/Adtg.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 20000;

TRecordset DossierRecordset()
{
    using F = TRecordField;
    QList<TRecordField> fields = {F::Define(u"KSH"_s, DBTYPE_WSTR, 14, F::foKey),
                                  F::Define(u"XM"_s, DBTYPE_WSTR, 20),
                                  F::Define(u"PCDM"_s, DBTYPE_BYTES, 4),
                                  F::Define(u"KLDM"_s, DBTYPE_BYTES, 4),
                                  F::Define(u"JHXZ"_s, DBTYPE_BYTES, 4),
                                  F::Define(u"KSZT"_s, DBTYPE_WSTR, 1),
                                  F::Define(u"BZ"_s, DBTYPE_WSTR, 0, F::foLong | F::foNullable),
                                  F::Define(u"JL"_s, DBTYPE_WSTR, 0, F::foLong | F::foNullable)};
    for (int i = 1; i <= 6; ++i) { // the six wishes
        fields.append(F::Define(u"ZYDH%1"_s.arg(i), DBTYPE_WSTR, 2));
        fields.append(F::Define(u"ZYMC%1"_s.arg(i), DBTYPE_WSTR, 40));
    }
    for (int i = 1; i <= 30; ++i)
        fields.append(F::Define(u"GKCJX%1"_s.arg(i, 2, 10, QLatin1Char('0')), DBTYPE_R8));
    for (int i = 1; i <= 28; ++i)
        fields.append(F::Define(u"DM%1"_s.arg(i), DBTYPE_WSTR, 6));
    for (int i = 1; i <= 20; ++i)
        fields.append(F::Define(u"SL%1"_s.arg(i), DBTYPE_I4));
    fields.append(F::Define(u"CSNY"_s, DBTYPE_DBTIMESTAMP));
    fields.append(F::Define(u"TXDZ"_s, DBTYPE_WSTR, 100));
    TRecordset set(fields);
    QRandomGenerator random(20240720);
    const QString names = u"张王李赵刘陈杨黄周吴徐孙马朱胡郭何高林罗"_s;
    const QString majors = u"计算机科学与技术临床医学汉语言文学机械设计制造及其自动化"_s;
    for (int r = 0; r < kRows; ++r) {
        QList<TDbValue> row;
        row.reserve(fields.size());
        const auto code = [](const QString &text) {
            QByteArray b;
            for (QChar c : text.rightJustified(2))
                b.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            return b;
        };
        row << u"24110101%1"_s.arg(r, 6, 10, QLatin1Char('0'))
            << QString(names.mid(r % 20, 1) + names.mid(r * 7 % 20, 2)) << code(u"1"_s)
            << code(u"%1"_s.arg(r % 3 + 1)) << code(u"0"_s) << u"4"_s;
        row << (r % 3 ? TDbValue() : TDbValue(QString(60, names[r % 20])))
            << TDbValue(u"2021-09 至 2024-06 某某中学 学生；"_s.repeated(4));
        for (int i = 0; i < 6; ++i)
            row << u"%1"_s.arg(i + 1, 2, 10, QLatin1Char('0')) << majors.mid(i * 3, 8);
        for (int i = 0; i < 30; ++i)
            row << (i % 7 == 6 ? TDbValue() : TDbValue(double(random.bounded(15000)) / 10.0));
        for (int i = 0; i < 28; ++i)
            row << u"%1"_s.arg(random.bounded(100000), 6, 10, QLatin1Char('0'));
        for (int i = 0; i < 20; ++i)
            row << qint64(random.bounded(1000));
        row << TDbTimeStamp{2006, quint16(r % 12 + 1), quint16(r % 28 + 1)}
            << u"某某省某某市某某区某某路 %1 号"_s.arg(r);
        set.AddRow(row);
    }
    return set;
}

// Best of a few runs, in seconds.
template<class F>
double Seconds(F &&f, int runs = 5)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, double(t.nsecsElapsed()) / 1e9);
    }
    return best;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    const TRecordset set = DossierRecordset();
    QByteArray bytes;
    const double write = Seconds([&] { bytes = SaveAdtg(set); });
    int shown = 0;
    const double read = Seconds([&] { shown = LoadAdtg(bytes).RecordCount(); });
    quint64 checksum = 0;
    QByteArray copy(bytes.size(), Qt::Uninitialized);
    const double baseline = Seconds([&] {
        std::memcpy(copy.data(), bytes.constData(), size_t(bytes.size()));
        quint64 sum = 0;
        for (qsizetype i = 0; i + 8 <= copy.size(); i += 8) {
            quint64 word;
            std::memcpy(&word, copy.constData() + i, 8);
            sum = sum * 31 + word;
        }
        checksum += sum;
    });
    const double mb = double(bytes.size()) / 1e6;
    out << "recordset file: " << kRows << " rows (" << shown << " read back) x " << set.ColumnCount()
        << " columns, " << QString::number(mb, 'f', 1) << " MB\n";
    out << "write:    " << QString::number(mb / write, 'f', 1) << " MB/s\n";
    out << "read:     " << QString::number(mb / read, 'f', 1) << " MB/s\n";
    out << "baseline: " << QString::number(mb / baseline, 'f', 1) << " MB/s (copy and checksum, "
        << (checksum & 0xFF) << ")\n";
    out << "ratio write/baseline: " << QString::number(baseline / write, 'f', 4)
        << "  read/baseline: " << QString::number(baseline / read, 'f', 4) << '\n';
    return shown == kRows ? 0 : 1;
}
