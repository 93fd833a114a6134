#include "builder/main_form.h"

#include "builder/design_font.h"
#include "builder/pack_paths.h"
#include "builder/packing_form.h"
#include "classlib/fileio.h"
#include "classlib/gui/application.h"
#include "skin/program_skin_win.h"

AnsiString WindowHeight, WindowWidth, SettingsField2, SettingsField3, SettingsField4;
AnsiString SiteFolder, HomePage;

const char kChooseFolderText[] = "请选择网页所在主目录";
const char kChooseHomePageText[] = "请选择主页";
const char kRootFolderText[] = "不能打包整个磁盘，请选择网页所在主目录";

const char kWebSiteAddress[] = "https://pagewrap.example/";

TForm1* Form1 = nullptr;

namespace {

// The usage notes of the help page.
const char* const kUsageLines[] = {
    "　　　　　　　　　　PAGEWRAP 1.1 网页打包工具",
    "",
    "　　将HTML页面或整个网站打包在一个压缩格式的EXE文件里，以后只需执行该EXE就可",
    "阅览该网页，支持Frame ，动态GIF，背景声音等。",
    "　　您可以利用本软件制作基于HTML格式的电子书。",
    "    使用方法：",
    "    第一步：选择您的网站所在目录",
    "    第二步：选择您的主页文件",
    "    第三步：点“开始打包”",
    "",
    "　　　　　　　　　　感谢使用 PAGEWRAP！",
};

TLabeledEdit* PathEdit(TForm1* form, TWinControl* parent, int top, const char* label, int tabOrder) {
    auto* e = new TLabeledEdit(form);
    e->SetParent(parent);
    e->SetBounds(16, top, 385, 19);
    e->SetColor(clScrollBar);
    e->SetCtl3D(false);
    e->GetEditLabel()->SetCaption(label);
    e->SetReadOnly(true);
    // switched on while the box has the focus, where that input method is installed
    e->SetImeName("中文 (简体) - 智能 ABC");
    e->SetTabOrder(tabOrder);
    return e;
}

TButton* Button(TForm1* form, TWinControl* parent, int left, int top, int width, int height, const char* caption,
                int tabOrder) {
    auto* b = new TButton(form);
    b->SetParent(parent);
    b->SetBounds(left, top, width, height);
    b->SetCaption(caption);
    b->SetTabOrder(tabOrder);
    return b;
}

TFlatSpinEditInteger* SizeEdit(TForm1* form, TWinControl* parent, int left, int top, int tabOrder) {
    auto* s = new TFlatSpinEditInteger(form);
    s->SetParent(parent);
    s->SetBounds(left, top, 73, 20);
    s->SetColorFlat(clBtnFace);
    s->SetAutoSize(false);
    s->SetMinValue(0);
    s->SetMaxValue(0);   // equal limits: no limit
    s->SetParentColor(true);
    s->SetTabOrder(tabOrder);
    s->SetValue(0);
    return s;
}

TStaticText* Text(TForm1* form, TWinControl* parent, int left, int top, int width, const char* caption,
                  int tabOrder) {
    auto* t = new TStaticText(form);
    t->SetParent(parent);
    t->SetBounds(left, top, width, 17);
    t->SetCaption(caption);
    t->SetTabOrder(tabOrder);
    return t;
}

// A link to the program's web site, unskinned: blue underlined Arial, red under the mouse.
TgwSkinLinkLabel* SiteLink(TForm1* form, TWinControl* parent, int left, int top, int width, const char* caption) {
    auto* l = new TgwSkinLinkLabel(form);
    l->SetParent(parent);
    l->SetBounds(left, top, width, 14);
    l->SetCursor(crHandPoint);
    l->SetCaption(caption);
    l->GetFont()->SetName("Arial");
    l->GetFont()->SetHeight(14);
    l->GetFont()->SetStyle(fsUnderline);
    l->SetUseSkinFont(true);
    l->SetDefaultActiveFontColor(clRed);
    TFont defaultFont;
    defaultFont.SetName("Arial");
    defaultFont.SetHeight(14);
    defaultFont.SetColor(clBlue);
    defaultFont.SetStyle(fsUnderline);
    l->SetDefaultFont(&defaultFont);
    l->SetSkinDataName("stdlabel");
    l->SetURL(kWebSiteAddress);
    return l;
}

// The four boxes state what every book does; nobody can change them.
TCheckBox* FixedCheck(TForm1* form, TWinControl* parent, int left, int top, int width, const char* caption,
                      int tabOrder) {
    auto* c = new TCheckBox(form);
    c->SetParent(parent);
    c->SetBounds(left, top, width, 17);
    c->SetCaption(caption);
    c->SetChecked(true);
    c->SetEnabled(false);
    c->SetTabOrder(tabOrder);
    return c;
}

}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    SetLeft(268);
    SetTop(182);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetBorderStyle(bsSingle);
    SetCaption("PAGEWRAP1.1");
    SetClientHeight(290);
    SetClientWidth(527);
    SetColor(clBtnFace);
    UseDesignFont(GetFont());
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };

    Panel1 = new TPanel(this);
    Panel1->SetParent(this);
    Panel1->SetBounds(0, 0, 527, 290);
    Panel1->SetAlign(alClient);
    Panel1->SetTabOrder(0);

    StatusBar1 = new TStatusBar(this);
    StatusBar1->SetParent(Panel1);
    StatusBar1->SetAlign(alBottom);
    for (int i = 0; i < 3; ++i) StatusBar1->AddPanel()->SetWidth(50);

    PageControl1 = new TPageControl(this);
    PageControl1->SetParent(Panel1);
    PageControl1->SetAlign(alClient);
    PageControl1->SetStyle(tsFlatButtons);
    PageControl1->SetTabOrder(0);

    TabSheet1 = new TTabSheet(this);
    TabSheet1->SetPageControl(PageControl1);
    TabSheet1->SetCaption("　　网页打包　　");

    Panel2 = new TPanel(this);
    Panel2->SetParent(TabSheet1);
    Panel2->SetAlign(alClient);
    Panel2->SetTabOrder(0);

    qvpath = PathEdit(this, Panel2, 32,
                      "请选择网页所在的主目录　　",
                      0);
    Button1 = Button(this, Panel2, 432, 29, 75, 25, "浏览...", 1);
    Button1->OnClick = [this](TObject* sender) { Button1Click(sender); };
    qvplay = PathEdit(this, Panel2, 134,
                      "请选择默认主页　　　　　　",
                      2);
    Button2 = Button(this, Panel2, 432, 131, 75, 25, "选择...", 3);
    Button2->OnClick = [this](TObject* sender) { Button2Click(sender); };
    Button3 = Button(this, Panel2, 312, 176, 89, 41, "开始打包", 6);
    Button3->OnClick = [this](TObject* sender) { Button3Click(sender); };

    chang = SizeEdit(this, Panel2, 24, 185, 4);
    kuan = SizeEdit(this, Panel2, 136, 184, 5);
    StaticText1 = Text(this, Panel2, 24, 166, 100, "浏览器窗口高　　", 7);
    StaticText2 = Text(this, Panel2, 136, 166, 100, "浏览器窗口宽　　", 8);
    StaticText3 = Text(this, Panel2, 72, 214, 118,
                       "默认0为全屏浏览　　", 9);
    StaticText3->GetFont()->SetColor(clRed);

    CheckBox1 = FixedCheck(this, Panel2, 16, 64, 481,
                           "包含子目录及其中的所有格式文件（网页、脚本、图片和多媒体文件等等）　　",
                           10);
    neww = FixedCheck(this, Panel2, 16, 88, 161,
                      "不允许弹出新窗口　　", 11);
    copyw = FixedCheck(this, Panel2, 160, 88, 225,
                       "不允许复制网页中的文字与图片　　",
                       12);
    mousew = FixedCheck(this, Panel2, 384, 88, 121, "不允许鼠标右键　　",
                        13);

    TabSheet2 = new TTabSheet(this);
    TabSheet2->SetPageControl(PageControl1);
    TabSheet2->SetCaption("　　使用说明　　");

    mmm = new TMemo(this);
    mmm->SetParent(TabSheet2);
    mmm->SetBounds(3, 0, 510, 153);
    mmm->SetCtl3D(false);
    mmm->SetReadOnly(true);
    mmm->SetScrollBars(ssVertical);
    mmm->SetTabOrder(0);
    for (const char* line : kUsageLines) mmm->GetLines()->Add(line);

    // The first link's designed top (264) lies below the page's client area, so it is hidden
    // there; the position is kept as designed.
    gwSkinLinkLabel1 = SiteLink(this, TabSheet2, 64, 264, 371, "PAGEWRAP 网页打包工具主页：https://pagewrap.example/");
    gwSkinLinkLabel2 = SiteLink(this, TabSheet2, 208, 160, 108, "访问 PAGEWRAP 主页");
    gwSkinLinkLabel2->SetColor(clBtnFace);

    PageControl1->SetActivePage(TabSheet1);

    OpenDialog1 = new TOpenDialog(this);
    lumSkinEngine1 = CreateProgramSkinEngine(this);
}

void TForm1::Button1Click(TObject*) {
    AnsiString folder;
    if (!SelectDirectory(kChooseFolderText, "", folder)) return;
    qvpath->SetText(folder);
    OpenDialog1->SetInitialDir(qvpath->GetText());
}

void TForm1::Button2Click(TObject*) {
    if (OpenDialog1->Execute()) qvplay->SetText(OpenDialog1->GetFileName());
}

void TForm1::Button3Click(TObject*) {
    // The settings are stored on every click, whatever the checks find.
    WindowHeight = IntToStr(chang->GetValue());
    WindowWidth = IntToStr(kuan->GetValue());
    SettingsField2 = "0";
    SettingsField3.clear();
    SettingsField4.clear();
    SiteFolder = qvpath->GetText();
    HomePage = qvplay->GetText();

    TPackRequest request;
    const TPackCheck check = CheckPackRequest(SiteFolder, HomePage, request);
    if (check == pcNoFolder) {
        ShowMessage(kChooseFolderText);
        return;
    }
    if (check == pcRootFolder) {
        ShowMessage(kRootFolderText);
        return;
    }
    SiteFolder = request.SiteFolder;
    if (!DirectoryExists(DropLastChar(SiteFolder))) {
        ShowMessage(kChooseFolderText);
        return;
    }
    if (check != pcOk || !FileExists(SiteFolder + request.HomePage)) {
        ShowMessage(kChooseHomePageText);
        return;
    }
    HomePage = request.HomePage;

    Form2->ShowModal();
    Form2->WaitForPacker();
}

void TForm1::FormClose(TObject*, TCloseAction&) {
    try {
        if (!TempArchivePath.empty() && FileExists(TempArchivePath)) RemoveFile(TempArchivePath);
    } catch (...) {
    }
}
