// The login dialog's server address: the province's leader server shown read-only, and
// "修改服务器地址..." that edits it and writes it back to the province list.

#include "gui/login/LoginForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/login/LoginFormSupport.h"
#include "store/Adtg.h"
#include "store/NamedLock.h"
#include "store/ZKError.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
using namespace LoginFormParts;

void TLoginForm::CreateServerGroup()
{
    auto *group = new QGroupBox(u"服务器信息"_s, this);
    group->setObjectName(u"ServerGroupBox"_s);
    Place(group, 434, 54, 287, 134);
    SSComboBox = new QComboBox(group);
    SSComboBox->setObjectName(u"SSComboBox"_s);
    SSComboBox->setMaxVisibleItems(24);
    Place(SSComboBox, 120, 26, 155, 24);
    AddLabel(u"省区市名称:"_s, group, 12, 30, SSComboBox);
    connect(SSComboBox, &QComboBox::currentIndexChanged, this, [this] {
        if (!FSettingComboIndex)
            SSComboBoxChange();
    });
    IPEdit = new QLineEdit(group);
    IPEdit->setObjectName(u"IPEdit"_s);
    IPEdit->setReadOnly(true);
    Place(IPEdit, 120, 60, 155, 24);
    IPLabel = AddLabel(u"组长服务器地址:"_s, group, 12, 64, IPEdit);
    ModifyIPBtn = new QPushButton(u"修改服务器地址..."_s, group);
    ModifyIPBtn->setObjectName(u"ModifyIPBtn"_s);
    ModifyIPBtn->setEnabled(false);
    ModifyIPBtn->setAutoDefault(false);
    Place(ModifyIPBtn, 168, 93, 107, 26);
    // The button keeps its whole caption, whatever the font: it grows to the left,
    // and the port box gives way.
    const int right = ModifyIPBtn->geometry().right();
    ModifyIPBtn->setGeometry(ModifyIPBtn->geometry().adjusted(
        std::min(0, ModifyIPBtn->width() - ModifyIPBtn->sizeHint().width()), 0, 0, 0));
    ModifyIPBtn->move(right - ModifyIPBtn->width() + 1, ModifyIPBtn->y());
    PortEdit = new QLineEdit(group);
    PortEdit->setObjectName(u"PortEdit"_s);
    PortEdit->setReadOnly(true);
    Place(PortEdit, 120, 94, 44, 24);
    PortEdit->setFixedWidth(
        std::max(ScaledPixels(36, this), ModifyIPBtn->x() - ScaledPixels(6, this) - PortEdit->x()));
    AddLabel(u"端口:"_s, group, 12, 98, PortEdit);
    connect(ModifyIPBtn, &QPushButton::clicked, this, &TLoginForm::ModifyIPBtnClick);
}


void TLoginForm::ModifyIPBtnClick()
{
    QList<TZKInputValueRec> values(4);
    const QString prompts[4] = {u"招生组长服务器地址:"_s, u"招生组长服务器端口:"_s,
                                u"高校招生信息发布 Web 服务器地址 (不必设定):"_s,
                                u"高校招生信息发布 Web 服务器端口 (不必设定):"_s};
    const QString initial[4] = {CurrentSSIP, CurrentSSPort, CurrentWebIP, CurrentWebPort};
    const int lengths[4] = {128, 5, 128, 5};
    for (int i = 0; i < 4; ++i) {
        values[i].Prompt = prompts[i];
        values[i].Value = initial[i];
        values[i].MaxLength = lengths[i];
    }
    if (!ExecuteInputValuesProc(u"修改服务器地址"_s,
                                u"请修改"_s + CurrentSSMc + u"所对应的贵院校招生组长服务器的地址。"_s, values,
                                nullptr, 4030, this))
        return;
    const QString typed[4] = {values[0].Value.toString(), values[1].Value.toString(),
                              values[2].Value.toString(), values[3].Value.toString()};
    if (SSZTTable.FindField(u"ssdm") >= 0 && SSZTTable.Locate(u"ssdm"_s, CurrentSSDM)) {
        try {
            SSZTTable.Edit();
            SSZTTable.FieldByName(u"FWQDZ").SetAsString(typed[0]);
            SSZTTable.FieldByName(u"FWQDKH").SetAsString(typed[1]);
            SSZTTable.FieldByName(u"ZYDZ").SetAsString(typed[2]);
            SSZTTable.FieldByName(u"ZYDKH").SetAsString(typed[3]);
            SSZTTable.Post();
            TNamedLock lock = TakeProvinceListLock();
            SaveAdtgFile(SSZTTable, SSZTFileName);
        } catch (const EZKError &e) {
            // The addresses still hold for this run; the user learns they were not kept.
            ShowMessage(e.Message(), u"修改服务器地址"_s, TMsgIcon::Error);
        }
    }
    CurrentSSIP = typed[0];
    CurrentSSPort = typed[1];
    CurrentWebIP = typed[2];
    CurrentWebPort = typed[3];
    IPEdit->setText(CurrentSSIP);
    PortEdit->setText(CurrentSSPort);
}

