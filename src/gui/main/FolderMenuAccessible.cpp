#include "gui/main/FolderMenuAccessible.h"

#include <QAccessibleWidget>
#include <QMenu>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const char kMenuButtonProperty[] = "zkAccessibleMenuButton";

// A caption without its accelerator marks ("&&" stands for one "&").
QString WithoutAccelerators(const QString &caption)
{
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&') {
            if (i + 1 < caption.size() && caption.at(i + 1) == u'&')
                text += caption.at(++i);
            continue;
        }
        text += caption.at(i);
    }
    return text;
}

class TMenuButtonAccessible : public QAccessibleWidget
{
public:
    explicit TMenuButtonAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::ButtonMenu)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? WithoutAccelerators(Button()->text()) : name;
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.hasPopup = true;
        return s;
    }
    int childCount() const override { return Menu() ? 1 : 0; }
    QAccessibleInterface *child(int index) const override
    {
        QMenu *menu = Menu();
        return index == 0 && menu ? QAccessible::queryAccessibleInterface(menu) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && Menu() && child->object() == Menu() ? 0 : -1;
    }
    QStringList actionNames() const override { return {pressAction(), showMenuAction()}; }
    void doAction(const QString &actionName) override
    {
        if ((actionName == pressAction() || actionName == showMenuAction()) && Button()->isEnabled())
            Button()->click();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QToolButton *Button() const { return static_cast<QToolButton *>(widget()); }
    QMenu *Menu() const { return widget()->findChild<QMenu *>(QString(), Qt::FindDirectChildrenOnly); }
};

QAccessibleInterface *MenuButtonFactory(const QString &, QObject *object)
{
    auto *button = qobject_cast<QToolButton *>(object);
    if (button && button->property(kMenuButtonProperty).toBool())
        return new TMenuButtonAccessible(button);
    return nullptr;
}

} // namespace

void MakeMenuButtonAccessible(QToolButton *button, QMenu *menu)
{
    static const bool installed = [] {
        QAccessible::installFactory(MenuButtonFactory);
        return true;
    }();
    Q_UNUSED(installed);
    button->setProperty(kMenuButtonProperty, true);
    menu->setParent(button, menu->windowFlags());
}
