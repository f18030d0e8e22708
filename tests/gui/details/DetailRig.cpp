#include "DetailRig.h"

#include "store/ZKMainDef.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextBrowser>
#include <QtEndian>

using namespace Qt::StringLiterals;

TDetailRig::TDetailRig(bool graded, bool images)
    : F(std::make_unique<TExchangeFixture>(TExchangeFixture::SmallDemo(images, graded)))
{
    if (!F->SetUp() || !F->Session.DownloadDossiers())
        qFatal("the demo province does not set up");
    for (const TSetState &set : F->Session.ReadSetStates()) {
        if (set.Dossiers >= 3 && F->Session.OpenSet(set.PCDM, set.KLDM, set.JHXZ))
            break;
    }
    if (!ZKMainDef().IsTDDOpen || F->DM.CurrentKSList.size() < 3)
        qFatal("no demo set with candidates opens");
    Form = std::make_unique<TDNForm>(F->DM, F->Net, F->Animation);
    Form->SetMessageSink(&F->Messages);
    Form->OpenFolder = [this](const QString &folder) { OpenedFolders.append(folder); };
    F->DM.SetDetailWindow(Form.get());
    Form->InitDetailWindow();
    ZKMainDef().AutoPhoto = false;
    ZKMainDef().AutoUnpack = false;
    // Only the window's own fetches count from here on.
    F->Animation.Shown.clear();
    F->Animation.Stops = 0;
}

void TDetailRig::ShowFirst()
{
    F->DM.SetFocusedKs(F->DM.CurrentKSList.first());
    Form->ShowFocusedCandidate();
}

bool TDetailRig::WaitForStops(int stops)
{
    return WaitUntil([&] { return F->Animation.Stops >= stops && ZKMainDef().IsNetIdle; });
}

QString TDetailRig::BrowserText() const
{
    return Form->DNBrowser()->toPlainText();
}

bool TDetailRig::LeaderHasImage(const QString &ksh, int kind, const QString &suffix) const
{
    return QFile::exists(F->LeaderRoot() + F->SSDM + u"/images/"_s + ksh + u'/' + QString::number(kind) +
                         u'.' + suffix);
}

void TDetailRig::Shoot(const QString &prefix)
{
    const QString folder = qEnvironmentVariable("ZK_DETAILS_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    Form->DNActionExecute(0);
    Form->LoadDNPage(-1); // the photo, as its link fetches it
    WaitUntil([] { return ZKMainDef().IsNetIdle.load(); });
    for (int page = 0; page < 6; ++page) {
        Form->DNActionExecute(page);
        WaitForStops(F->Animation.Stops);
        WaitUntil([] { return ZKMainDef().IsNetIdle.load(); });
        QCoreApplication::processEvents();
        Form->grab().save(folder + u'/' + prefix + u"_page"_s + QString::number(page) + u".png"_s);
    }
}

namespace {

quint32 Crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void AppendLe(QByteArray &out, quint64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

// A block: its CRC (low 16 bits of CRC32 from the type byte on), then the block.
QByteArray Block(const QByteArray &fromType)
{
    QByteArray out;
    AppendLe(out, Crc32(fromType) & 0xFFFF, 2);
    return out + fromType;
}

} // namespace

QByteArray StoredRar4(const QList<QPair<QString, QByteArray>> &files)
{
    QByteArray out("\x52\x61\x72\x21\x1A\x07\x00", 7);
    QByteArray main;
    main.append(char(0x73));
    AppendLe(main, 0, 2);  // flags
    AppendLe(main, 13, 2); // size
    AppendLe(main, 0, 6);  // reserved
    out += Block(main);
    for (const auto &[name, data] : files) {
        const QByteArray utf8 = name.toUtf8();
        QByteArray h;
        h.append(char(0x74));
        AppendLe(h, 0x8000 | 0x0200, 2);
        AppendLe(h, 32 + utf8.size(), 2);
        AppendLe(h, data.size(), 4); // packed size
        AppendLe(h, data.size(), 4); // unpacked size
        h.append(char(3));           // host OS
        AppendLe(h, Crc32(data), 4);
        AppendLe(h, 0x5A210000, 4); // DOS time
        h.append(char(20));         // version
        h.append(char(0x30));       // stored
        AppendLe(h, utf8.size(), 2);
        AppendLe(h, 0x81A4, 4);
        h += utf8;
        out += Block(h) + data;
    }
    out += QByteArray("\xC4\x3D\x7B\x00\x40\x07\x00", 7);
    return out;
}
