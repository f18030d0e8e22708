#include "gui/main/FolderToolBar.h"

#include "gui/main/FolderMenuAccessible.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

TFolderButton ButtonOf(TFolderMenu menu)
{
    switch (menu) {
    case TFolderMenu::PC:
        return TFolderButton::PC;
    case TFolderMenu::KL_JHXZ:
        return TFolderButton::KL_JHXZ;
    case TFolderMenu::TDDW:
        return TFolderButton::TDDW;
    case TFolderMenu::ZY:
        break;
    }
    return TFolderButton::ZY;
}

// A caption as menu text: a "&" of the data is shown, not taken as an accelerator.
QString MenuText(const QString &caption)
{
    QString text = caption;
    return text.replace(u'&', u"&&"_s);
}

} // namespace

TFolderToolBar::TFolderToolBar(QWidget *parent)
    : QToolBar(u"文件夹"_s, parent)
{
    setObjectName(u"FolderToolBar"_s);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    AddButton(TFolderButton::YX_SS, u"YX_SSBtn"_s);
    AddButton(TFolderButton::PC, u"PCBtn"_s);
    AddButton(TFolderButton::KL_JHXZ, u"KL_JHXZBtn"_s);
    AddButton(TFolderButton::ZT, u"ZTBtn"_s);
    AddButton(TFolderButton::TDDW, u"TDDWBtn"_s);
    AddButton(TFolderButton::ZY, u"ZYBtn"_s);
    DrawAsPlainText(Button(TFolderButton::YX_SS), QColor());
    DrawAsPlainText(Button(TFolderButton::ZT), QColor());

    // Each menu is named after the command that drops it, for screen readers.
    const std::array<std::tuple<TFolderMenu, QString, QString>, 4> menus = {
        {{TFolderMenu::PC, u"PCMenu"_s, u"选择批次"_s},
         {TFolderMenu::KL_JHXZ, u"KL_JHXZMenu"_s, u"选择科类、计划性质"_s},
         {TFolderMenu::TDDW, u"TDDWMenu"_s, u"选择要查看的投档单位"_s},
         {TFolderMenu::ZY, u"ZYMenu"_s, u"选择要查看的专业"_s}}};
    for (const auto &[id, name, accessibleName] : menus) {
        QToolButton *button = Button(ButtonOf(id));
        auto *menu = new QMenu(button);
        menu->setObjectName(name);
        menu->setAccessibleName(accessibleName);
        MakeMenuButtonAccessible(button, menu);
        FMenus.at(size_t(id)) = menu;
        const TFolderMenu menuId = id;
        connect(button, &QToolButton::clicked, this, [this, menuId] { DropMenu(menuId); });
    }
}

QToolButton *TFolderToolBar::AddButton(TFolderButton button, const QString &name)
{
    auto *b = new QToolButton(this);
    b->setObjectName(name);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(true);
    addWidget(b);
    FButtons.at(size_t(button)) = b;
    return b;
}

void TFolderToolBar::DrawAsPlainText(QToolButton *button, const QColor &colour)
{
    // Transparent, 2 pixels from the left, no frame even under the mouse.
    QString style = u"QToolButton { border: none; background: transparent; padding-left: 2px;"_s;
    if (colour.isValid())
        style += u" color: %1;"_s.arg(colour.name());
    button->setStyleSheet(style + u" }"_s);
    button->setFocusPolicy(Qt::NoFocus);
}

QColor TFolderToolBar::StateColour(int workState)
{
    switch (workState) {
    case 0:
        return QColor(0, 128, 128);
    case 1:
        return QColor(0, 0, 255);
    case 2:
        return QColor(255, 0, 255);
    case 3:
        return QColor(0, 0, 0);
    default:
        return QColor();
    }
}

void TFolderToolBar::SetButtonCaption(TFolderButton button, const QString &caption, int workState)
{
    QToolButton *b = Button(button);
    b->setText(MenuText(caption));
    if (button == TFolderButton::ZT)
        DrawAsPlainText(b, StateColour(workState));
}

void TFolderToolBar::SetMenu(TFolderMenu id, const QList<TMenuItemRec> &items)
{
    QMenu *menu = Menu(id);
    menu->clear();
    for (const TMenuItemRec &item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(MenuText(item.Caption));
        const QString caption = item.Caption;
        const int tag = item.Tag;
        connect(action, &QAction::triggered, this,
                [this, id, caption, tag] { emit MenuItemChosen(id, caption, tag); });
    }
}

void TFolderToolBar::DropMenu(TFolderMenu id)
{
    QToolButton *b = Button(ButtonOf(id));
    Menu(id)->popup(b->mapToGlobal(b->rect().bottomLeft()));
}
