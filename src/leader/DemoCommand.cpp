#include "leader/DemoGenerator.h"
#include "store/ZKError.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

bool ReadNumber(const QCommandLineParser &parser, const QString &name, qint64 lo, qint64 hi, qint64 &value,
                QString &error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    value = parser.value(name).toLongLong(&ok);
    if (!ok || value < lo || value > hi) {
        error = u"--%1 must be a number from %2 to %3"_s.arg(name).arg(lo).arg(hi);
        return false;
    }
    return true;
}

bool ParseDemoOptions(const QStringList &arguments, TDemoOptions &options, QString &error)
{
    QCommandLineParser parser;
    parser.addOptions({
        {u"root"_s, u"The data folder."_s, u"DIR"_s},
        {u"ssdm"_s, u"A province to write (repeatable)."_s, u"CODE"_s},
        {u"rank"_s, u"The provinces given use graded scores."_s},
        {u"candidates"_s, u"Candidates per province."_s, u"N"_s},
        {u"members"_s, u"Members per province."_s, u"M"_s},
        {u"seed"_s, u"Seed of the random data."_s, u"S"_s},
        {u"rounds"_s, u"Delivery rounds, 1 or 2."_s, u"R"_s},
        {u"no-images"_s, u"Write no images."_s},
    });
    if (!parser.parse(QStringList{u"zelkinc-leader generate"_s} + arguments)) {
        error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = u"unexpected argument %1"_s.arg(parser.positionalArguments().first());
        return false;
    }
    options.Root = parser.value(u"root"_s);
    if (options.Root.isEmpty()) {
        error = u"--root is required"_s;
        return false;
    }
    for (const QString &value : parser.values(u"ssdm"_s)) {
        for (const QString &code : value.split(u',', Qt::SkipEmptyParts))
            options.Provinces.append({code.trimmed(), parser.isSet(u"rank"_s)});
    }
    qint64 candidates = options.Candidates, members = options.Members, seed = 1, rounds = options.Rounds;
    if (!ReadNumber(parser, u"candidates"_s, 0, 200000, candidates, error) ||
        !ReadNumber(parser, u"members"_s, 1, 99, members, error) ||
        !ReadNumber(parser, u"seed"_s, 0, std::numeric_limits<qint64>::max(), seed, error) ||
        !ReadNumber(parser, u"rounds"_s, 1, 2, rounds, error))
        return false;
    options.Candidates = int(candidates);
    options.Members = int(members);
    options.Seed = uint64_t(seed);
    options.Rounds = int(rounds);
    options.Images = !parser.isSet(u"no-images"_s);
    return true;
}

} // namespace

int RunDemoCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    TDemoOptions options;
    QString error;
    if (!ParseDemoOptions(arguments, options, error)) {
        err << "zelkinc-leader generate: " << error << Qt::endl;
        return 2;
    }
    try {
        for (const QString &line : GenerateDemo(options))
            out << line << Qt::endl;
    } catch (const EZKError &e) {
        err << "zelkinc-leader generate: " << e.Message() << Qt::endl;
        return 1;
    }
    return 0;
}
