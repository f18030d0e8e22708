// The login dialog's province map and list: the labels on the map, the list of the
// province list file "t_sszt.adtg", and choosing a province from either.

#include "gui/login/LoginForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/login/LoginFormSupport.h"
#include "gui/login/ProvinceMap.h"
#include "store/Adtg.h"
#include "store/NamedLock.h"
#include "store/StartUpFailures.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

using namespace Qt::StringLiterals;
using namespace LoginFormParts;

namespace {

// A map label: reports clicks and the mouse entering and leaving it.
class TProvinceLabel : public QLabel
{
public:
    TProvinceLabel(const QString &text, QWidget *parent, TLoginForm &form)
        : QLabel(text, parent)
        , FForm(form)
    {}

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            FForm.SSLabelClick(this);
    }
    void enterEvent(QEnterEvent *) override { FForm.SSLabelMouseEnter(this); }
    void leaveEvent(QEvent *) override { FForm.SSLabelMouseLeave(this); }

private:
    TLoginForm &FForm;
};

} // namespace

const QList<TProvinceLabelRec> &ProvinceLabels()
{
    static const QList<TProvinceLabelRec> labels{
        {u"65"_s, u"新   疆"_s, 64, 108}, {u"54"_s, u"西   藏"_s, 76, 196}, {u"63"_s, u"青  海"_s, 136, 160},
        {u"51"_s, u"四川"_s, 184, 208},   {u"53"_s, u"云南"_s, 176, 256},   {u"52"_s, u"贵州"_s, 216, 238},
        {u"45"_s, u"广西"_s, 228, 266},   {u"44"_s, u"广东"_s, 272, 262},   {u"43"_s, u"湖南"_s, 254, 230},
        {u"42"_s, u"湖北"_s, 256, 200},   {u"41"_s, u"河南"_s, 264, 176},   {u"46"_s, u"海南"_s, 228, 304},
        {u"71"_s, u"台湾"_s, 332, 256},   {u"15"_s, u"内蒙古"_s, 268, 90},  {u"23"_s, u"黑龙江"_s, 336, 48},
        {u"22"_s, u"吉林"_s, 336, 80},    {u"21"_s, u"辽宁"_s, 316, 104},   {u"50"_s, u"重庆"_s, 220, 212},
        {u"62"_s, u"甘肃"_s, 196, 168},   {u"61"_s, u"陕西"_s, 228, 176},   {u"64"_s, u"宁夏"_s, 212, 140},
        {u"14"_s, u"山西"_s, 252, 152},   {u"11"_s, u"北京"_s, 260, 114},   {u"12"_s, u"天津"_s, 300, 124},
        {u"13"_s, u"河北"_s, 272, 136},   {u"37"_s, u"山东"_s, 296, 152},   {u"34"_s, u"安徽"_s, 296, 192},
        {u"36"_s, u"江西"_s, 288, 224},   {u"35"_s, u"福建"_s, 308, 240},   {u"32"_s, u"江苏"_s, 312, 172},
        {u"33"_s, u"浙江"_s, 320, 212},   {u"31"_s, u"上海"_s, 336, 192},   {u"73"_s, u"澳门"_s, 256, 280},
        {u"72"_s, u"香港"_s, 288, 277},
    };
    return labels;
}

void TLoginForm::CreateMapGroup()
{
    auto *group = new QGroupBox(u"选择省、自治区或直辖市"_s, this);
    group->setObjectName(u"SSGroupBox"_s);
    Place(group, 8, 54, 418, 364);
    MapPanel = new TProvinceMap(group);
    MapPanel->setObjectName(u"MapPanel"_s);
    MapPanel->setAccessibleName(u"省区市地图"_s);
    Place(MapPanel, 9, 28, 400, 328);
    connect(MapPanel, &TProvinceMap::ProvinceClicked, this, &TLoginForm::SelectProvinceFromMap);
    QFont font = MapPanel->font();
    font.setBold(true);
    font.setPixelSize(ScaledPixels(14, this));
    for (const TProvinceLabelRec &rec : ProvinceLabels()) {
        auto *label = new TProvinceLabel(rec.Text, MapPanel, *this);
        label->setObjectName(u"SSLabel"_s + rec.Code);
        label->setProperty("Tag", rec.Code);
        label->setFont(font);
        label->setCursor(Qt::PointingHandCursor);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->move(ScaledPixels(rec.Left, this), ScaledPixels(rec.Top, this));
        label->adjustSize();
        PaintLabel(label, Qt::black);
        SSLabels.append(label);
    }
}


// --- the province list ---

bool TLoginForm::ReadProvinceList()
{
    SSZTFileName = ZKMainDef().LoginInfo.StorageFolder + ProvinceListFileName;
    try {
        TNamedLock lock = TakeProvinceListLock();
        SSZTTable = LoadAdtgFile(SSZTFileName);
    } catch (const EZKError &e) {
        // Without the list nobody can log in: the program ends, and says why.
        ShowMessage(ProvinceListReadFailureText(SSZTFileName, e.Message()), StartUpFailureCaption,
                    TMsgIcon::Error);
        return false;
    }
    SSDMList.clear();
    SSMCList.clear();
    for (SSZTTable.First(); !SSZTTable.Eof(); SSZTTable.Next()) {
        SSDMList.append(FieldText(SSZTTable, u"SSDM"));
        SSMCList.append(FieldText(SSZTTable, u"SSMC"));
    }
    FSettingComboIndex = true;
    SSComboBox->clear();
    SSComboBox->addItems(SSMCList);
    SSComboBox->setCurrentIndex(-1);
    FSettingComboIndex = false;
    return true;
}

// --- choosing a province ---

void TLoginForm::PaintLabel(QLabel *label, const QColor &color)
{
    if (!label)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

void TLoginForm::SelectProvince(const QString &code)
{
    PaintLabel(CurrentLabel, Qt::black);
    CurrentSSDM = code;
    CurrentLabel = MapPanel->findChild<QLabel *>(u"SSLabel"_s + code, Qt::FindDirectChildrenOnly);
    PaintLabel(CurrentLabel, Qt::red);
    MapPanel->SetCurrentProvince(CurrentLabel ? code : QString());

    CurrentSSStr.clear();
    CurrentSSMc.clear();
    CurrentSSIP.clear();
    CurrentSSPort.clear();
    CurrentWebIP.clear();
    CurrentWebPort.clear();
    UserNameEdit->clear();
    PasswordEdit->clear();
    if (SSZTTable.FindField(u"ssdm") >= 0 && SSZTTable.Locate(u"ssdm"_s, code)) {
        CurrentSSStr = FieldText(SSZTTable, u"SSPY");
        CurrentSSMc = FieldText(SSZTTable, u"SSMC");
        CurrentSSIP = FieldText(SSZTTable, u"FWQDZ");
        CurrentSSPort = FieldText(SSZTTable, u"FWQDKH");
        CurrentWebIP = FieldText(SSZTTable, u"ZYDZ");
        CurrentWebPort = FieldText(SSZTTable, u"ZYDKH");
    }
    IPEdit->setText(CurrentSSIP);
    PortEdit->setText(CurrentSSPort);
    ModifyIPBtn->setEnabled(true);
    const bool idle = ZKMainDef().IsNetIdle;
    OKBtn->setEnabled(idle);
    NotOnLineBtn->setEnabled(idle);
}

void TLoginForm::SSLabelClick(QLabel *label)
{
    const QString code = label->property("Tag").toString();
    FSettingComboIndex = true;
    SSComboBox->setCurrentIndex(int(SSDMList.indexOf(code)));
    FSettingComboIndex = false;
    SelectProvince(code);
    if (!UserNameEdit->text().isEmpty())
        PasswordEdit->setFocus();
    else
        UserNameEdit->setFocus();
}

// A click inside a province of the map counts as a click on its label.
void TLoginForm::SelectProvinceFromMap(const QString &code)
{
    if (auto *label = MapPanel->findChild<QLabel *>(u"SSLabel"_s + code, Qt::FindDirectChildrenOnly))
        SSLabelClick(label);
}

void TLoginForm::SSLabelMouseEnter(QLabel *label)
{
    PaintLabel(label, Qt::blue);
}

void TLoginForm::SSLabelMouseLeave(QLabel *label)
{
    PaintLabel(label, label == CurrentLabel ? Qt::red : Qt::black);
}

void TLoginForm::SSComboBoxChange()
{
    const int index = SSComboBox->currentIndex();
    if (index >= 0 && index < SSDMList.size())
        SelectProvince(SSDMList.at(index));
}

