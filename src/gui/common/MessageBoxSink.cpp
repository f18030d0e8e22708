#include "gui/common/MessageBoxSink.h"

#include "gui/common/GuiMetrics.h"

#include <QApplication>
#include <QMessageBox>
#include <memory>

namespace {

QMessageBox::Icon BoxIcon(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Information:
        return QMessageBox::Information;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::Ok:
        return QMessageBox::Ok;
    case TMsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case TMsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case TMsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

TMsgResult Answer(int button, TMsgButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return TMsgResult::Ok;
    case QMessageBox::Yes:
        return TMsgResult::Yes;
    case QMessageBox::No:
        return TMsgResult::No;
    default:
        // Esc or the close button: the box's way out.
        return buttons == TMsgButtons::Ok      ? TMsgResult::Ok
               : buttons == TMsgButtons::YesNo ? TMsgResult::No
                                               : TMsgResult::Cancel;
    }
}

} // namespace

QMessageBox *TMessageBoxSink::CreateMessageBox(const QString &text, const QString &caption, TMsgIcon icon,
                                               TMsgButtons buttons, QWidget *parent)
{
    auto *box = new QMessageBox(BoxIcon(icon), caption, text, BoxButtons(buttons), parent);
    box->setObjectName(QStringLiteral("MessageBox"));
    // Texts of the system break lines with "\r\n"; a lone "\n" breaks the line on screen.
    box->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box->setTextFormat(Qt::PlainText);
    ApplyWindowFont(box);
    if (buttons == TMsgButtons::YesNo)
        box->setEscapeButton(QMessageBox::No);
    return box;
}

TMsgResult TMessageBoxSink::ShowMessage(const QString &text, const QString &caption, TMsgIcon icon,
                                        TMsgButtons buttons)
{
    QWidget *parent = FParent ? FParent : QApplication::activeWindow();
    std::unique_ptr<QMessageBox> box(CreateMessageBox(text, caption, icon, buttons, parent));
    return Answer(box->exec(), buttons);
}
