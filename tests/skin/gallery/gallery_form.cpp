#include "tests/skin/gallery/gallery_form.h"

#include "classlib/date_time.h"

namespace {

// A strip of count squares of size pixels in the given colours.
void FillStrip(TBitmap& strip, const std::vector<TColor>& colours, int size) {
    strip.SetSize(size * static_cast<int>(colours.size()), size);
    for (size_t i = 0; i < colours.size(); ++i) {
        strip.GetCanvas()->GetBrush()->SetColor(colours[i]);
        int left = static_cast<int>(i) * size;
        strip.GetCanvas()->FillRect(TRect(left, 0, left + size, size));
    }
}

}  // namespace

template <class T>
T* TGalleryForm::Place(TWinControl* parent, int left, int top, int width, int height) {
    T* control = new T(this);
    control->SetParent(parent);
    control->SetBounds(left, top, width ? width : control->GetWidth(), height ? height : control->GetHeight());
    return control;
}

TTabControl* TGalleryForm::MakeTabs(TTabPosition position, int left, int top, int width, int height) {
    static const char* names[] = {"上", "下", "左", "右"};
    auto* tabs = Place<TTabControl>(this, left, top, width, height);
    tabs->SetTabPosition(position);
    for (const char* tab : {"第一页", "第二页", "第三页"}) tabs->GetTabs()->Add(tab);
    tabs->SetTabIndex(0);
    auto* label = Place<TLabel>(tabs, 0, 0);
    label->SetAutoSize(false);
    label->SetCaption(AnsiString("标签在") + names[position]);
    label->SetAlign(alClient);
    label->SetAlignment(taCenter);
    label->SetLayout(tlCenter);
    return tabs;
}

TGalleryForm::TGalleryForm(TComponent* owner) : TForm(owner) {
    SetCaption("控件一览");
    SetClientWidth(1000);
    SetClientHeight(660);
    SetPosition(poScreenCenter);

    Images = new TImageList(this, 16, 16);
    {
        TBitmap strip;
        FillStrip(strip, {clRed, clGreen, clBlue}, 16);
        Images->AddMasked(&strip, clFuchsia);
    }

    // Bars along the edges.
    ToolBar = Place<TToolBar>(this, 0, 0);
    ToolBar->SetImages(Images);
    ToolBar->SetShowCaptions(true);
    ToolBar->SetFlat(true);
    ToolBar->SetAutoSize(true);
    const struct {
        const char* caption;
        TToolButtonStyle style;
        int image;
    } tools[] = {{"新建", tbsButton, 0}, {"", tbsSeparator, -1}, {"左", tbsCheck, 1}, {"右", tbsCheck, 2},
                 {"更多", tbsDropDown, 0}};
    for (int i = 0; i < 5; ++i) {
        ToolButtons[i] = new TToolButton(this);
        ToolButtons[i]->SetCaption(tools[i].caption);
        ToolButtons[i]->SetStyle(tools[i].style);
        ToolButtons[i]->SetImageIndex(tools[i].image);
        ToolButtons[i]->SetGrouped(tools[i].style == tbsCheck);
        ToolButtons[i]->SetParent(ToolBar);
    }
    ToolButtons[2]->SetDown(true);
    CoolBar = Place<TCoolBar>(this, 0, 0, 0, 26);
    StatusBar = Place<TStatusBar>(this, 0, 0);
    StatusBar->AddPanel()->SetText("状态栏");
    StatusBar->AddPanel()->SetWidth(200);
    StatusBar->Panels(1)->SetText("第二格");

    const int top = 80;

    // Buttons, check controls, edits.
    Button = Place<TButton>(this, 8, top, 90);
    Button->SetCaption("按钮");
    ButtonDisabled = Place<TButton>(this, 104, top, 90);
    ButtonDisabled->SetCaption("禁用按钮");
    ButtonDisabled->SetEnabled(false);
    ButtonTag9999 = Place<TButton>(this, 8, top + 30, 186);
    ButtonTag9999->SetCaption("Tag 9999");
    ButtonTag9999->SetTag(9999);
    CheckBox = Place<TCheckBox>(this, 8, top + 62, 186);
    CheckBox->SetCaption("复选框（三态）");
    CheckBox->SetAllowGrayed(true);
    CheckBox->SetState(cbGrayed);
    CheckBoxDisabled = Place<TCheckBox>(this, 8, top + 82, 186);
    CheckBoxDisabled->SetCaption("禁用复选框");
    CheckBoxDisabled->SetChecked(true);
    CheckBoxDisabled->SetEnabled(false);
    CheckBoxLeftText = Place<TCheckBox>(this, 8, top + 102, 186);
    CheckBoxLeftText->SetCaption("文字在左");
    CheckBoxLeftText->SetAlignment(taLeftJustify);
    GroupBox = Place<TGroupBox>(this, 8, top + 124, 186, 70);
    GroupBox->SetCaption("分组框");
    Radio1 = Place<TRadioButton>(GroupBox, 10, 20, 160);
    Radio1->SetCaption("单选一");
    Radio1->SetChecked(true);
    Radio2 = Place<TRadioButton>(GroupBox, 10, 42, 160);
    Radio2->SetCaption("单选二");
    RadioDisabled = Place<TRadioButton>(this, 8, top + 200, 186);
    RadioDisabled->SetCaption("禁用单选");
    RadioDisabled->SetEnabled(false);

    TBitmap glyph;   // a teal square on the transparent colour of its bottom-left pixel
    FillStrip(glyph, {clFuchsia}, 16);
    glyph.GetCanvas()->GetBrush()->SetColor(clTeal);
    glyph.GetCanvas()->FillRect(TRect(2, 2, 14, 14));
    TSpeedButton** speeds[] = {&SpeedButton, &SpeedButtonFlat, &SpeedButtonDown, &SpeedButtonDisabled};
    for (int i = 0; i < 4; ++i) {
        *speeds[i] = Place<TSpeedButton>(this, 8 + 47 * i, top + 224, 44, 26);
        (*speeds[i])->SetGlyph(&glyph);
        (*speeds[i])->SetCaption("速");
    }
    SpeedButtonFlat->SetFlat(true);
    SpeedButtonDown->SetGroupIndex(1);
    SpeedButtonDown->SetDown(true);
    SpeedButtonDisabled->SetEnabled(false);

    Label = Place<TLabel>(this, 8, top + 256);
    Label->SetCaption("标签文字");
    Edit = Place<TEdit>(this, 8, top + 276, 186);
    Edit->SetText("编辑框");
    EditDisabled = Place<TEdit>(this, 8, top + 304, 186);
    EditDisabled->SetText("禁用编辑框");
    EditDisabled->SetEnabled(false);
    Memo = Place<TMemo>(this, 8, top + 332, 186, 70);
    Memo->SetScrollBars(ssVertical);
    for (const char* line : {"多行编辑框", "第二行", "第三行", "第四行", "第五行"}) Memo->GetLines()->Add(line);
    MaskEdit = Place<TCustomMaskEdit>(this, 8, top + 408, 186);
    MaskEdit->SetText("2026-12-10");
    HotKey = Place<TCustomHotKey>(this, 8, top + 436, 186);

    // Lists, combo boxes, pickers, containers.
    const char* items[] = {"第一项", "第二项", "第三项"};
    TComboBox** combos[] = {&ComboBox, &ComboBoxList, &ComboBoxSimple, &ComboBoxDisabled};
    const TComboBoxStyle comboStyles[] = {csDropDown, csDropDownList, csSimple, csDropDown};
    const int comboTops[] = {top, top + 28, top + 56, top + 142};
    for (int i = 0; i < 4; ++i) {
        *combos[i] = Place<TComboBox>(this, 206, comboTops[i], 180);
        (*combos[i])->SetStyle(comboStyles[i]);
        for (const char* item : items) (*combos[i])->GetItems()->Add(item);
        (*combos[i])->SetItemIndex(0);
    }
    ComboBoxSimple->SetHeight(80);
    ComboBoxDisabled->SetEnabled(false);
    ComboBoxEx = Place<TComboBoxEx>(this, 206, top + 170, 180);
    ComboBoxEx->SetImages(Images);
    for (const char* item : items) ComboBoxEx->GetItems()->Add(item);
    ComboBoxEx->SetItemIndex(1);
    ListBox = Place<TListBox>(this, 206, top + 198, 180, 80);
    for (const char* item : items) ListBox->GetItems()->Add(item);
    ListBox->SetItemIndex(2);
    DatePicker = Place<TDateTimePicker>(this, 206, top + 284, 180);
    DatePicker->SetDateTime(EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 0, 0));
    TimePicker = Place<TDateTimePicker>(this, 206, top + 312, 180);
    TimePicker->SetKind(dtkTime);
    TimePickerTag9998 = Place<TDateTimePicker>(this, 206, top + 340, 180);
    TimePickerTag9998->SetKind(dtkTime);
    TimePickerTag9998->SetTag(9998);
    UpDownEdit = Place<TEdit>(this, 206, top + 370, 80);
    UpDown = Place<TUpDown>(this, 0, 0);
    UpDown->SetAssociate(UpDownEdit);
    UpDown->SetPosition(5);
    UpDownHorizontal = Place<TUpDown>(this, 300, top + 370, 34, 17);
    UpDownHorizontal->SetOrientation(udHorizontal);
    UpDownDisabled = Place<TUpDown>(this, 350, top + 368);
    UpDownDisabled->SetEnabled(false);
    Panel = Place<TPanel>(this, 206, top + 400, 180, 40);
    Panel->SetCaption("面板");
    ScrollBox = Place<TScrollBox>(this, 206, top + 446, 180, 40);
    Place<TLabel>(ScrollBox, 4, 4)->SetCaption("滚动框");
    Frame = Place<TCustomFrame>(this, 206, top + 492, 180, 40);
    Place<TLabel>(Frame, 4, 4)->SetCaption("框架");

    // Tabs on every side, views and the grid.
    TabTop = MakeTabs(tpTop, 398, top, 200, 90);
    TabBottom = MakeTabs(tpBottom, 606, top, 200, 90);
    TabLeft = MakeTabs(tpLeft, 398, top + 96, 200, 90);
    TabRight = MakeTabs(tpRight, 606, top + 96, 200, 90);
    PageControl = Place<TPageControl>(this, 398, top + 192, 408, 100);
    for (const char* caption : {"页面一", "页面二"}) {
        auto* sheet = new TTabSheet(this);
        sheet->SetPageControl(PageControl);
        sheet->SetCaption(caption);
        Place<TLabel>(sheet, 8, 8)->SetCaption(AnsiString("这是") + caption);
    }
    ListView = Place<TListView>(this, 398, top + 298, 260, 100);
    ListView->SetViewStyle(vsReport);
    ListView->SetSmallImages(Images);
    const struct {
        const char* caption;
        int width;
        TAlignment alignment;
    } columns[] = {{"名称", 90, taLeftJustify}, {"大小", 70, taRightJustify}, {"类型", 80, taCenter}};
    for (const auto& c : columns) {
        TListColumn* column = ListView->GetColumns()->Add();
        column->SetCaption(c.caption);
        column->SetWidth(c.width);
        column->SetAlignment(c.alignment);
    }
    ListView->GetColumns()->Items(0)->SetImageIndex(0);
    const char* files[][3] = {{"index.htm", "12 KB", "网页"}, {"logo.gif", "3 KB", "图片"}, {"readme.txt", "1 KB", "文本"}};
    for (int i = 0; i < 3; ++i) {
        TListItem* item = ListView->GetItems()->Add();
        item->SetCaption(files[i][0]);
        item->SetImageIndex(i);
        item->GetSubItems()->Add(files[i][1]);
        item->GetSubItems()->Add(files[i][2]);
    }
    TreeView = Place<TCustomTreeView>(this, 666, top + 298, 140, 100);
    Grid = Place<TDrawGrid>(this, 398, top + 404, 408, 120);
    Grid->SetColCount(8);
    Grid->SetRowCount(6);
    Grid->OnDrawCell = [this](TObject*, int col, int row, const TRect& rect, TGridDrawState) {
        TRect r = rect;
        Grid->GetCanvas()->GetBrush()->SetStyle(bsClear);
        Grid->GetCanvas()->DrawText(Format("%d,%d", col, row), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    };

    // Bars with a position, upright ones and disabled ones.
    TrackBar = Place<TTrackBar>(this, 818, top, 170);
    TrackBar->SetPosition(3);
    TrackBar->SetSelStart(2);
    TrackBar->SetSelEnd(6);
    TrackBarDisabled = Place<TTrackBar>(this, 818, top + 50, 170);
    TrackBarDisabled->SetPosition(7);
    TrackBarDisabled->SetEnabled(false);
    // Set up while the form loads: the sizes given are the upright ones.
    TrackBarVertical = Place<TTrackBar>(this, 818, top + 100, 45, 150);
    TrackBarVertical->SetOrientation(trVertical);
    TrackBarVertical->SetPosition(4);
    ScrollBarVertical = Place<TScrollBar>(this, 870, top + 100, GetSystemMetrics(SM_CXVSCROLL), 150);
    ScrollBarVertical->SetKind(sbVertical);
    ScrollBarVertical->SetPageSize(20);
    ScrollBarVertical->SetPosition(30);
    ProgressBarVertical = Place<TProgressBar>(this, 896, top + 100, 16, 150);
    ProgressBarVertical->SetOrientation(pbVertical);
    ProgressBarVertical->SetPosition(60);
    ScrollBar = Place<TScrollBar>(this, 818, top + 260, 170);
    ScrollBar->SetPageSize(20);
    ScrollBar->SetPosition(40);
    ScrollBarDisabled = Place<TScrollBar>(this, 818, top + 284, 170);
    ScrollBarDisabled->SetEnabled(false);
    ProgressBar = Place<TProgressBar>(this, 818, top + 308, 170);
    ProgressBar->SetPosition(40);
    ProgressBarDisabled = Place<TProgressBar>(this, 818, top + 330, 170);
    ProgressBarDisabled->SetPosition(70);
    ProgressBarDisabled->SetEnabled(false);
}
