#include "store/RecordsetJson.h"

#include "store/ZKError.h"

#include <QStringDecoder>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

void AppendJsonString(QByteArray &out, const QString &s)
{
    out += '"';
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            static const char *const names[] = {"\\b", "\\t", "\\n", nullptr, "\\f", "\\r"};
            if (c >= 8 && c <= 13 && names[c - 8])
                out += names[c - 8];
            else
                out += QByteArray("\\u00") + QByteArray::number(c, 16).rightJustified(2, '0');
        } else if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out += QStringView(s).mid(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(c)) {
            out += QByteArray("\\u") + QByteArray::number(c, 16).rightJustified(4, '0');
        } else if (c < 0x80) {
            out += char(c);
        } else {
            out += QStringView(s).mid(i, 1).toUtf8();
        }
    }
    out += '"';
}

template<class T>
void AppendFloat(QByteArray &out, T v)
{
    if (std::isnan(v)) {
        out += "\"NaN\"";
    } else if (std::isinf(v)) {
        out += v < 0 ? "\"-Infinity\"" : "\"Infinity\"";
    } else {
        // Shortest round-trip form; keep it a floating-point number for any reader.
        const QByteArray text = DbText::FloatText(v, false).toLatin1();
        out += text;
        if (!text.contains('.') && !text.contains('e'))
            out += ".0";
    }
}

void AppendValue(QByteArray &out, const TDbValue &v)
{
    if (v.IsNull())
        out += "null";
    else if (const bool *b = v.Get<bool>())
        out += *b ? "true" : "false";
    else if (const qint64 *i = v.Get<qint64>())
        out += QByteArray::number(*i);
    else if (const quint64 *u = v.Get<quint64>())
        out += QByteArray::number(*u);
    else if (const float *f = v.Get<float>())
        AppendFloat(out, *f);
    else if (const double *d = v.Get<double>())
        AppendFloat(out, *d);
    else if (const TOleDate *o = v.Get<TOleDate>(); o && DbText::OleDateText(o->Days).isEmpty())
        AppendFloat(out, o->Days);
    else if (const QByteArray *bytes = v.Get<QByteArray>())
        out += '"' + bytes->toHex() + '"';
    else
        AppendJsonString(out, v.AsString());
}

} // namespace

QByteArray RecordsetToJson(const TRecordset &set)
{
    QByteArray out = "{\"fields\":[";
    for (int i = 0; i < set.FieldCount(); ++i) {
        const TRecordField &f = set.Field(i);
        if (i > 0)
            out += ',';
        out += "{\"name\":";
        AppendJsonString(out, f.Name);
        out += ",\"type\":" + QByteArray::number(f.Type) + ",\"size\":" + QByteArray::number(f.MaxLength) +
               ",\"flags\":" + QByteArray::number(f.Flags) + '}';
    }
    out += "],\"rows\":[";
    bool firstRow = true;
    for (int r = 0; r < set.StoredRowCount(); ++r) {
        if (set.StoredStatus(r) == TRowStatus::Deleted)
            continue;
        out += firstRow ? "[" : ",[";
        firstRow = false;
        for (int i = 0; i < set.FieldCount(); ++i) {
            if (i > 0)
                out += ',';
            AppendValue(out, set.StoredValue(r, set.FieldColumn(i)));
        }
        out += ']';
    }
    out += "]}";
    return out;
}

namespace {

// A parsed JSON value; numbers keep their text so that no digit is lost.
struct TJson
{
    enum TKind
    {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    } Kind = Null;
    bool Flag = false;
    QString Text;
    QList<TJson> Items;
    QList<QPair<QString, TJson>> Members;
};

class TJsonParser
{
public:
    explicit TJsonParser(const QByteArray &text)
    {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        FText = utf8.decode(text);
        if (utf8.hasError())
            throw EZKError(u"the JSON text is not valid UTF-8"_s);
    }

    TJson Document()
    {
        TJson v = Value(0);
        SkipSpaces();
        if (FPos != FText.size())
            Fail(u"text after the JSON value"_s);
        return v;
    }

private:
    [[noreturn]] void Fail(const QString &what) const
    {
        throw EZKError(u"invalid JSON at character %1: %2"_s.arg(FPos + 1).arg(what));
    }
    void SkipSpaces()
    {
        while (FPos < FText.size() &&
               (FText[FPos] == u' ' || FText[FPos] == u'\t' || FText[FPos] == u'\n' || FText[FPos] == u'\r'))
            ++FPos;
    }
    bool Eat(QChar c)
    {
        SkipSpaces();
        if (FPos < FText.size() && FText[FPos] == c) {
            ++FPos;
            return true;
        }
        return false;
    }
    void Expect(QChar c)
    {
        if (!Eat(c))
            Fail(u"'%1' expected"_s.arg(c));
    }

    TJson Value(int depth)
    {
        if (depth > 64)
            Fail(u"nested too deeply"_s);
        SkipSpaces();
        if (FPos >= FText.size())
            Fail(u"value expected"_s);
        const QChar c = FText[FPos];
        TJson v;
        if (c == u'{') {
            ++FPos;
            v.Kind = TJson::Object;
            if (Eat(u'}'))
                return v;
            do {
                SkipSpaces();
                const QString key = String();
                Expect(u':');
                v.Members.append({key, Value(depth + 1)});
            } while (Eat(u','));
            Expect(u'}');
        } else if (c == u'[') {
            ++FPos;
            v.Kind = TJson::Array;
            if (Eat(u']'))
                return v;
            do {
                v.Items.append(Value(depth + 1));
            } while (Eat(u','));
            Expect(u']');
        } else if (c == u'"') {
            v.Kind = TJson::String;
            v.Text = String();
        } else if (Word(u"true")) {
            v.Kind = TJson::Bool;
            v.Flag = true;
        } else if (Word(u"false")) {
            v.Kind = TJson::Bool;
        } else if (Word(u"null")) {
            v.Kind = TJson::Null;
        } else {
            v.Kind = TJson::Number;
            v.Text = Number();
        }
        return v;
    }

    bool Word(QStringView w)
    {
        if (QStringView(FText).mid(FPos, w.size()) != w)
            return false;
        FPos += w.size();
        return true;
    }

    QString Number()
    {
        const qsizetype start = FPos;
        auto digits = [this] {
            const qsizetype s = FPos;
            while (FPos < FText.size() && FText[FPos] >= u'0' && FText[FPos] <= u'9')
                ++FPos;
            return FPos > s;
        };
        if (FPos < FText.size() && FText[FPos] == u'-')
            ++FPos;
        if (!digits())
            Fail(u"value expected"_s);
        if (FPos < FText.size() && FText[FPos] == u'.') {
            ++FPos;
            if (!digits())
                Fail(u"digits expected after the point"_s);
        }
        if (FPos < FText.size() && (FText[FPos] == u'e' || FText[FPos] == u'E')) {
            ++FPos;
            if (FPos < FText.size() && (FText[FPos] == u'+' || FText[FPos] == u'-'))
                ++FPos;
            if (!digits())
                Fail(u"digits expected in the exponent"_s);
        }
        return FText.mid(start, FPos - start);
    }

    QString String()
    {
        if (FPos >= FText.size() || FText[FPos] != u'"')
            Fail(u"string expected"_s);
        QString s;
        for (++FPos;; ++FPos) {
            if (FPos >= FText.size())
                Fail(u"unterminated string"_s);
            const QChar c = FText[FPos];
            if (c == u'"') {
                ++FPos;
                return s;
            }
            if (c.unicode() < 0x20)
                Fail(u"control character in a string"_s);
            if (c != u'\\') {
                s += c;
                continue;
            }
            if (++FPos >= FText.size())
                Fail(u"unterminated string"_s);
            const char16_t e = FText[FPos].unicode();
            static const QString simple = u"\"\\/bfnrt"_s;
            static const QString meaning = u"\"\\/\b\f\n\r\t"_s;
            if (const qsizetype k = simple.indexOf(QChar(e)); k >= 0) {
                s += meaning[k];
            } else if (e == u'u') {
                bool ok = false;
                const ushort unit = FText.mid(FPos + 1, 4).toUShort(&ok, 16);
                if (!ok || FText.mid(FPos + 1, 4).size() != 4)
                    Fail(u"bad \\u escape"_s);
                s += QChar(unit);
                FPos += 4;
            } else {
                Fail(u"bad escape"_s);
            }
        }
    }

    QString FText;
    qsizetype FPos = 0;
};

const TJson *Member(const TJson &object, const QString &name)
{
    for (const auto &[key, value] : object.Members) {
        if (key == name)
            return &value;
    }
    return nullptr;
}

quint32 NumberMember(const TJson &object, const QString &name, const QString &where, bool &present)
{
    const TJson *v = Member(object, name);
    present = v != nullptr;
    if (!v)
        return 0;
    bool ok = v->Kind == TJson::Number;
    const quint32 n = ok ? v->Text.toUInt(&ok) : 0;
    if (!ok)
        throw EZKError(u"%1: \"%2\" must be a number from 0 to 4294967295"_s.arg(where, name));
    return n;
}

TRecordField FieldFromJson(const TJson &j, int index)
{
    const QString where = u"field %1"_s.arg(index + 1);
    if (j.Kind != TJson::Object)
        throw EZKError(where + u": an object expected"_s);
    for (const auto &member : j.Members) {
        static const QStringList known = {u"name"_s,  u"type"_s,      u"size"_s,
                                          u"flags"_s, u"precision"_s, u"scale"_s};
        if (!known.contains(member.first))
            throw EZKError(u"%1: unknown key \"%2\""_s.arg(where, member.first));
    }
    const TJson *name = Member(j, u"name"_s);
    if (!name || name->Kind != TJson::String)
        throw EZKError(where + u": \"name\" must be a string"_s);
    bool hasType, hasSize, hasFlags, hasPrecision, hasScale;
    const quint32 type = NumberMember(j, u"type"_s, where, hasType);
    if (!hasType)
        throw EZKError(where + u": \"type\" is missing"_s);
    if (type > 0xFFFF || !IsSupportedDbType(quint16(type)))
        throw EZKError(u"%1: type %2 is not supported"_s.arg(where, DbTypeName(quint16(type))));
    const quint32 size = NumberMember(j, u"size"_s, where, hasSize);
    const quint32 flags = NumberMember(j, u"flags"_s, where, hasFlags);
    const quint32 precision = NumberMember(j, u"precision"_s, where, hasPrecision);
    const quint32 scale = NumberMember(j, u"scale"_s, where, hasScale);
    TRecordField f = TRecordField::Define(name->Text, quint16(type), 0, TRecordField::foNullable, precision,
                                          qint32(scale));
    if (hasSize)
        f.MaxLength = size;
    if (hasFlags)
        f.Flags = flags;
    return f;
}

TDbValue ValueFromJson(const TJson &j, const TRecordField &f)
{
    switch (j.Kind) {
    case TJson::Null:
        return {};
    case TJson::Bool:
        return j.Flag;
    case TJson::Number:
        return j.Text;
    case TJson::String:
        if (f.Type == DBTYPE_BYTES) {
            const QByteArray hex = j.Text.toLatin1();
            static const QByteArray digits = "0123456789abcdefABCDEF";
            if (hex.size() % 2 != 0 ||
                !std::all_of(hex.begin(), hex.end(), [](char c) { return digits.contains(c); }))
                throw EZKError(u"\"%1\" is not a hex string"_s.arg(j.Text));
            return QByteArray::fromHex(hex);
        }
        return j.Text;
    default:
        throw EZKError(u"a value must be null, true, false, a number or a string"_s);
    }
}

} // namespace

TRecordset RecordsetFromJson(const QByteArray &json)
{
    const TJson root = TJsonParser(json).Document();
    if (root.Kind != TJson::Object)
        throw EZKError(u"the JSON text must be an object with \"fields\" and \"rows\""_s);
    const TJson *fields = Member(root, u"fields"_s);
    const TJson *rows = Member(root, u"rows"_s);
    if (!fields || fields->Kind != TJson::Array)
        throw EZKError(u"\"fields\" must be an array"_s);
    if (rows && rows->Kind != TJson::Array)
        throw EZKError(u"\"rows\" must be an array"_s);
    QList<TRecordField> columns;
    for (int i = 0; i < fields->Items.size(); ++i)
        columns.append(FieldFromJson(fields->Items[i], i));
    TRecordset set(columns);
    for (int r = 0; rows && r < rows->Items.size(); ++r) {
        const TJson &row = rows->Items[r];
        if (row.Kind != TJson::Array || row.Items.size() != columns.size())
            throw EZKError(u"row %1 must be an array of %2 values"_s.arg(r + 1).arg(columns.size()));
        QList<TDbValue> values;
        for (int c = 0; c < columns.size(); ++c) {
            try {
                values.append(ValueFromJson(row.Items[c], columns[c]).ConvertTo(columns[c].Type));
            } catch (const EZKError &e) {
                throw e.WithPrefix(u"row %1, field \"%2\": "_s.arg(r + 1).arg(columns[c].Name));
            }
        }
        try {
            set.AddRow(values);
        } catch (const EZKError &e) {
            throw e.WithPrefix(u"row %1: "_s.arg(r + 1));
        }
    }
    set.First();
    return set;
}
