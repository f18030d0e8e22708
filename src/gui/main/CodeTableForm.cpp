#include "gui/main/CodeTableForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopicList.h"
#include "gui/common/HelpTopics.h"
#include "store/ZKError.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString DecodePage(const QByteArray &data)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(data);
}

} // namespace

TCodeTableForm::TCodeTableForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , FBrowser(new QTextBrowser(this))
{
    setObjectName(u"CodeTableForm"_s);
    setWindowTitle(u"代码表页面"_s);
    SetWindowHelpTopic(this, ZKHelp::ShowCodeTable);
    ApplyWindowFont(this);
    FBrowser->setObjectName(u"CodeTableBrowser"_s);
    FBrowser->setAccessibleName(u"代码表页面"_s);
    FBrowser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FBrowser);
    resize(ScaledPixels(1000, this), ScaledPixels(700, this));
}

void TCodeTableForm::ShowPage(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EZKError(u"无法读取文件 %1: %2"_s.arg(fileName, file.errorString()));
    FBrowser->setSearchPaths({QFileInfo(fileName).absolutePath()});
    FBrowser->setHtml(DecodePage(file.readAll()));
    const QString title = FBrowser->documentTitle();
    setWindowTitle(title.isEmpty() ? u"代码表页面"_s : title);
    show();
    raise();
    activateWindow();
}

void TMainDocumentOpener::OpenDocument(const QString &path)
{
    if (!DesktopOpen || !DesktopOpen(QUrl::fromLocalFile(path)))
        throw EZKError(u"桌面系统无法用默认程序打开文件 %1，请用浏览器打开它。"_s.arg(QDir::toNativeSeparators(path)));
}

void TMainDocumentOpener::ShowInPageWindow(const QString &path)
{
    if (!FPageWindow)
        FPageWindow = new TCodeTableForm(FOwner);
    FPageWindow->ShowPage(path);
}

void TQtClipboard::SetText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
