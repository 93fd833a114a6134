// skin_mdi_gallery: a skinned MDI frame (our default skin, the resource LUMSKIN_DEFAULT) with a window menu and two children
// that bring menus of their own, for a look or a screenshot. "--maximized" starts with the
// first child maximised; "--tile" tiles the children side by side.
#include <cstring>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/menus.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/resource_stream.h"
#include "skin/skin_engine_win.h"

namespace {

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const AnsiString& caption, uint8_t group = 0,
                   TNotifyEvent onClick = nullptr) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->SetGroupIndex(group);
    item->OnClick = std::move(onClick);
    parent->Add(item);
    return item;
}

class TMdiFrameForm : public TForm {
public:
    explicit TMdiFrameForm(TComponent* owner) : TForm(owner) {
        SetName("MdiFrame");
        SetCaption("皮肤 MDI 示例");
        SetBounds(40, 30, 760, 540);
        SetFormStyle(fsMDIForm);
        auto* menu = new TMainMenu(this);
        TMenuItem* file = AddItem(this, menu->GetItems(), "文件(&F)", 0);
        AddItem(this, file, "退出(&X)", 0, [this](TObject*) { Close(); });
        TMenuItem* window = AddItem(this, menu->GetItems(), "窗口(&W)", 5);
        AddItem(this, window, "层叠(&C)", 0, [this](TObject*) { Cascade(); });
        AddItem(this, window, "水平平铺(&H)", 0, [this](TObject*) {
            SetTileMode(tbHorizontal);
            Tile();
        });
        AddItem(this, window, "垂直平铺(&V)", 0, [this](TObject*) {
            SetTileMode(tbVertical);
            Tile();
        });
        AddItem(this, window, "排列图标(&A)", 0, [this](TObject*) { ArrangeIcons(); });
        TMenuItem* help = AddItem(this, menu->GetItems(), "帮助(&H)", 9);
        AddItem(this, help, "关于(&A)", 0);
        SetMenu(menu);
        SetWindowMenu(window);
        // The skin takes the menu it finds when it starts: the engine comes after it.
        auto* engine = new TlumSkinEngine(this);
        engine->SetActive(true);
        engine->SetSkinAllForms(true);
        TResourceStream skin(nullptr, "LUMSKIN_DEFAULT", MAKEINTRESOURCEA(10));   // RT_RCDATA
        engine->ReadSkinData(std::vector<uint8_t>(skin.Memory(), skin.Memory() + skin.GetSize()));
    }
};

// A child with a menu: group 1 sits between the frame's 文件 and 窗口; a group the frame uses
// too (9) takes the frame's place while the child is active.
class TDocumentForm : public TForm {
public:
    TDocumentForm(TComponent* owner, const AnsiString& caption, bool ownHelp) : TForm(owner) {
        SetFormStyle(fsMDIChild);
        SetCaption(caption);
        SetBounds(0, 0, 360, 240);
        auto* menu = new TMainMenu(this);
        TMenuItem* edit = AddItem(this, menu->GetItems(), "编辑(&E)", 1);
        AddItem(this, edit, "复制(&C)", 0);
        AddItem(this, edit, "粘贴(&P)", 0);
        if (ownHelp) {
            TMenuItem* help = AddItem(this, menu->GetItems(), "文档帮助(&D)", 9);
            AddItem(this, help, "关于文档(&A)", 0);
        }
        SetMenu(menu);
        auto* memo = new TMemo(this);
        memo->SetParent(this);
        memo->SetAlign(alClient);
        memo->SetText(caption + "：MDI 子窗体");
    }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    try {
        Application->Initialize();
        Application->SetTitle("skin_mdi_gallery");
        TMdiFrameForm* frame = nullptr;
        Application->CreateForm(frame);
        frame->Show();
        auto* first = new TDocumentForm(Application, "文档一", false);
        first->Show();
        auto* second = new TDocumentForm(Application, "文档二", true);
        second->Show();
        if (std::strstr(commandLine, "--tile")) {
            frame->SetTileMode(tbVertical);
            frame->Tile();
        } else {
            frame->Cascade();
        }
        if (std::strstr(commandLine, "--maximized")) {
            first->Show();
            first->SetWindowState(wsMaximized);
        }
        Application->Run();
        delete second;
        delete first;
        delete frame;
    } catch (...) {
        Application->HandleException(Application);
    }
    return 0;
}
