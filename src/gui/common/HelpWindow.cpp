#include "gui/common/HelpWindow.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopicList.h"
#include "gui/common/HelpTopics.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

THelpWindow::THelpWindow(QWidget *owner)
    : QWidget(owner, Qt::Window)
{
    setObjectName(u"HelpWindow"_s);
    setWindowTitle(u"院校子系统帮助"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    ApplyWindowFont(this);

    ContentsBtn = new QPushButton(u"目录和索引"_s, this);
    BackBtn = new QPushButton(u"后退"_s, this);
    ForwardBtn = new QPushButton(u"前进"_s, this);
    CloseBtn = new QPushButton(u"关闭"_s, this);
    Browser = new QTextBrowser(this);
    Browser->setObjectName(u"HelpBrowser"_s);
    Browser->setAccessibleName(u"帮助内容"_s);
    Browser->setOpenExternalLinks(true);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {ContentsBtn, BackBtn, ForwardBtn})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Browser);

    BackBtn->setEnabled(false);
    ForwardBtn->setEnabled(false);
    connect(Browser, &QTextBrowser::backwardAvailable, BackBtn, &QPushButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardBtn, &QPushButton::setEnabled);
    connect(BackBtn, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardBtn, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(ContentsBtn, &QPushButton::clicked, this, [this] { ShowTopic(ZKHelp::Contents); });
    connect(CloseBtn, &QPushButton::clicked, this, &QWidget::close);
    resize(ScaledPixels(760, this), ScaledPixels(560, this));
}

void THelpWindow::ShowTopic(int topic)
{
    const THelpTopicRec rec = HelpTopicRec(topic);
    const QString file = HelpFolder() + rec.Page;
    if (!QFileInfo::exists(file)) {
        Browser->setHtml(u"<p>找不到帮助文件 %1。请重新安装本系统。</p>"_s.arg(file.toHtmlEscaped()));
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    if (rec.Topic != ZKHelp::Contents)
        url.setFragment(HelpTopicAnchor(rec.Topic));
    Browser->setSource(url);
}

namespace {

QPointer<THelpWindow> &CurrentHelpWindow()
{
    static QPointer<THelpWindow> window;
    return window;
}

} // namespace

void ShowHelpTopic(int topic, QWidget *parent)
{
    // A modal dialog blocks every window but its own: the help window then belongs to it.
    QWidget *owner = parent ? parent->window() : QApplication::activeModalWidget();
    QPointer<THelpWindow> &window = CurrentHelpWindow();
    if (window && window->parentWidget() != owner)
        delete window.data();
    if (!window)
        window = new THelpWindow(owner);
    window->ShowTopic(topic);
    window->show();
    window->raise();
    window->activateWindow();
}

void SetWindowHelpTopic(QWidget *window, int topic)
{
    auto *f1 = new QShortcut(QKeySequence::HelpContents, window);
    f1->setContext(Qt::WindowShortcut);
    QObject::connect(f1, &QShortcut::activated, window, [window, topic] { ShowHelpTopic(topic, window); });
}

namespace {
const char kPartTopicProperty[] = "zkHelpTopic";
} // namespace

void SetPartHelpTopic(QWidget *part, int topic)
{
    part->setProperty(kPartTopicProperty, topic);
}

int HelpTopicAt(const QWidget *widget, int fallback)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QVariant topic = w->property(kPartTopicProperty);
        if (topic.isValid())
            return topic.toInt();
    }
    return fallback;
}

QTextBrowser *HelpBrowser()
{
    const QPointer<THelpWindow> &window = CurrentHelpWindow();
    return window ? window->Browser : nullptr;
}
