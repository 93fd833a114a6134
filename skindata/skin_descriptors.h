// Descriptors of the skin-data family: one object per entry of [SKINCONTROLS] (control kinds)
// or [SKINOBJECTS] (window decorations), holding the keys of its own INI section.
//
// Each class has one key table: key, type, default when missing. The table declares the
// fields (named after their keys) and binds them for reading and writing; LoadFromIni reads
// the keys of the bases first, then the class's own, and SaveToIni erases the section and
// writes them back in the same order (three classes swap one key when saving, and the
// up-down, animation and user-object kinds have rules of their own, see below).
#pragma once
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "classlib/classes.h"
#include "classlib/inifiles.h"
#include "classlib/types.h"

enum TgwMorphKind : uint8_t { mkDefault, mkGradient, mkLeftGradient, mkRightGradient, mkLeftSlide, mkRightSlide, mkPush };
enum TgwStdCommand : uint8_t { cmClose, cmMaximize, cmMinimize, cmSysMenu, cmDefault, cmRollUp, cmMinimizeToTray };

// Exact names; a missing key or an unknown name is mkDefault.
TgwMorphKind ReadMorphKind(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key);
void WriteMorphKind(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TgwMorphKind kind);
// Exact names of the first six; a missing key is cmDefault, any other text cmMinimizeToTray.
TgwStdCommand ReadStdCommand(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key);
void WriteStdCommand(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TgwStdCommand command);

// One key bound to the field of a descriptor that holds it.
struct TgwKeyRef {
    using Field = std::variant<int32_t*, AnsiString*, bool*, TPoint*, TRect*, TFontStyles*, TAlignment*,
                               TgwMorphKind*, TgwStdCommand*>;
    const char* Name;
    Field Target;
    int32_t Default;            // integers, alignments, morph kinds and commands
    const char* DefaultText;    // strings
};
using TgwKeyRefs = std::vector<TgwKeyRef>;

// Field types by key type: I integer or colour, S string, F flag, P point, R rectangle,
// FS font styles, A alignment, MK morph kind, C command.
#define GW_FIELD_I int32_t
#define GW_FIELD_S AnsiString
#define GW_FIELD_F bool
#define GW_FIELD_P TPoint
#define GW_FIELD_R TRect
#define GW_FIELD_FS TFontStyles
#define GW_FIELD_A TAlignment
#define GW_FIELD_MK TgwMorphKind
#define GW_FIELD_C TgwStdCommand

namespace gw_detail {
template <class T> T Initial(int32_t v) {
    if constexpr (std::is_same_v<T, TPoint> || std::is_same_v<T, TRect>) return T();
    else if constexpr (std::is_same_v<T, bool>) return v != 0;
    else return static_cast<T>(v);
}
template <class T> T Initial(const char* text) { return T(text); }
inline int32_t DefaultInt(int32_t v) { return v; }
inline int32_t DefaultInt(const char*) { return 0; }
inline const char* DefaultText(int32_t) { return ""; }
inline const char* DefaultText(const char* text) { return text; }
}  // namespace gw_detail

#define GW_DECLARE_FIELD(type, name, def) GW_FIELD_##type name = gw_detail::Initial<GW_FIELD_##type>(def);
#define GW_BIND_KEY(type, name, def) \
    keys.push_back(TgwKeyRef{#name, &name, gw_detail::DefaultInt(def), gw_detail::DefaultText(def)});

// ---- Key tables ------------------------------------------------------------------------

#define GW_FONT_KEYS(K) K(S, fontname, "Arial") K(I, fontheight, 14) K(FS, fontstyle, 0) K(I, fontcolor, 0)

#define GW_KEYS_CONTROL(K) K(I, pictureindex, -1) K(I, maskpictureindex, -1) K(R, skinrect, 0)
#define GW_KEYS_CUSTOMCONTROL(K)                                                                          \
    K(P, lefttoppoint, 0) K(P, righttoppoint, 0) K(P, leftbottompoint, 0) K(P, rightbottompoint, 0)       \
    K(R, clientrect, 0) K(F, stretcheffect, 0)
#define GW_KEYS_PANEL(K)                                                                                  \
    K(I, bgpictureindex, -1) K(R, captionrect, 0) K(A, alignment, taCenter) GW_FONT_KEYS(K)               \
    K(R, checkimagerect, 0) K(R, uncheckimagerect, 0) K(R, markframerect, 0) K(R, framerect, 0)           \
    K(R, frametextrect, 0) K(I, frameleftoffset, 0) K(I, framerightoffset, 0) K(R, gripperrect, 0)        \
    K(F, grippertransparent, 0) K(I, grippertransparentcolor, 0)
#define GW_KEYS_EXPANEL(K)                                                                                \
    K(R, rollhskinrect, 0) K(R, rollvskinrect, 0) K(I, rollleftoffset, 0) K(I, rollrightoffset, 0)        \
    K(I, rolltopoffset, 0) K(I, rollbottomoffset, 0) K(R, rollvcaptionrect, 0) K(R, rollhcaptionrect, 0)  \
    K(R, closebuttonrect, 0) K(R, closebuttonactiverect, 0) K(R, closebuttondownrect, 0)                  \
    K(R, hrollbuttonrect, 0) K(R, hrollbuttonactiverect, 0) K(R, hrollbuttondownrect, 0)                  \
    K(R, hrestorebuttonrect, 0) K(R, hrestorebuttonactiverect, 0) K(R, hrestorebuttondownrect, 0)         \
    K(R, vrollbuttonrect, 0) K(R, vrollbuttonactiverect, 0) K(R, vrollbuttondownrect, 0)                  \
    K(R, vrestorebuttonrect, 0) K(R, vrestorebuttonactiverect, 0) K(R, vrestorebuttondownrect, 0)         \
    K(R, captionrect, 0) GW_FONT_KEYS(K)
#define GW_KEYS_MENUBUTTON(K) K(R, trackbuttonrect, 0)
#define GW_KEYS_BUTTON(K)                                                                                 \
    GW_FONT_KEYS(K) K(I, activefontcolor, 0) K(I, downfontcolor, 0) K(I, disabledfontcolor, 0)            \
    K(R, activeskinrect, 0) K(R, downskinrect, 0) K(R, disabledskinrect, 0) K(F, morphing, 0)             \
    K(MK, morphkind, mkDefault) K(R, animateskinrect, 0) K(I, framecount, 0) K(I, animateinterval, 25)    \
    K(F, showfocus, 0)
#define GW_KEYS_CHECKRADIO(K)                                                                             \
    GW_FONT_KEYS(K) K(I, activefontcolor, 0) K(I, unenabledfontcolor, 0) K(I, framefontcolor, 0)          \
    K(R, activeskinrect, 0) K(R, checkimagearea, 0) K(R, textarea, 0) K(R, checkimagerect, 0)             \
    K(R, uncheckimagerect, 0) K(R, activecheckimagerect, 0) K(R, activeuncheckimagerect, 0)               \
    K(R, unenabledcheckimagerect, 0) K(R, unenableduncheckimagerect, 0) K(F, morphing, 0)                 \
    K(MK, morphkind, mkDefault)
#define GW_KEYS_GAUGE(K)                                                                                  \
    K(R, progressarea, 0) K(R, progressrect, 0) K(I, beginoffset, 0) K(I, endoffset, 0) K(F, vertical, 0) \
    GW_FONT_KEYS(K) K(F, progresstransparent, 0) K(I, progresstransparentcolor, 0)                        \
    K(F, progressstretch, 0)
#define GW_KEYS_SPLITTER(K) K(R, gripperrect, 0) K(F, grippertransparent, 0) K(I, grippertransparentcolor, 0)
#define GW_KEYS_TRACKBAR(K)                                                                               \
    K(R, trackarea, 0) K(R, buttonrect, 0) K(R, activebuttonrect, 0) K(F, vertical, 0)                    \
    K(F, buttontransparent, 0) K(I, buttontransparentcolor, 0)
#define GW_KEYS_LABEL(K) GW_FONT_KEYS(K)
#define GW_KEYS_STDLABEL(K) GW_FONT_KEYS(K) K(I, activefontcolor, 0xFF0000)
#define GW_KEYS_UPDOWN(K)                                                                                 \
    K(R, upbuttonrect, 0) K(R, activeupbuttonrect, 0) K(R, downupbuttonrect, 0) K(R, downbuttonrect, 0)   \
    K(R, activedownbuttonrect, 0) K(R, downdownbuttonrect, 0)
#define GW_KEYS_GRID(K)                                                                                   \
    K(R, fixedcellrect, 0) K(R, selectcellrect, 0) K(R, focuscellrect, 0) K(I, fixedcellleftoffset, 0)    \
    K(I, fixedcellrightoffset, 0) K(R, fixedcelltextrect, 0) K(I, cellleftoffset, 0)                      \
    K(I, cellrightoffset, 0) K(R, celltextrect, 0) K(I, linescolor, 0) K(I, bgcolor, 0) GW_FONT_KEYS(K)   \
    K(I, selectfontcolor, 0) K(I, focusfontcolor, 0) K(S, fixedfontname, "Arial")                         \
    K(I, fixedfontheight, 14) K(FS, fixedfontstyle, 0) K(I, fixedfontcolor, 0)                            \
    K(F, cellstretcheffect, 0) K(F, fixedcellstretcheffect, 0) K(F, showfocus, 0)
#define GW_KEYS_TAB(K)                                                                                    \
    K(R, tabrect, 0) K(R, activetabrect, 0) K(R, focustabrect, 0) K(R, mouseintabrect, 0)                 \
    K(R, clientrect, 0) K(I, bgpictureindex, -1) K(P, lefttoppoint, 0) K(P, righttoppoint, 0)             \
    K(P, leftbottompoint, 0) K(P, rightbottompoint, 0) K(I, tableftoffset, 0) K(I, tabrightoffset, 0)     \
    K(R, tabsbgrect, 0) K(F, tabstretcheffect, 0) GW_FONT_KEYS(K) K(I, activefontcolor, 0)                \
    K(I, focusfontcolor, 0) K(I, mouseinfontcolor, 0) K(S, updown, "") K(F, showfocus, 0)                 \
    K(I, focusoffsetx, 0) K(I, focusoffsety, 0)
#define GW_KEYS_MAINMENUBAR(K)                                                                            \
    K(R, itemsrect, 0) K(S, menubaritem, "") K(S, closebutton, "") K(S, minbutton, "")                    \
    K(S, maxbutton, "") K(S, sysmenubutton, "") K(I, trackmarkcolor, 0) K(I, trackmarkactivecolor, 0)
#define GW_KEYS_CONTROLBAR(K) K(R, itemrect, 0) K(I, bgpictureindex, -1)
#define GW_KEYS_MEMO(K) K(I, bgcolor, 0) K(I, activebgcolor, 0)
#define GW_KEYS_EDIT(K)                                                                                   \
    K(R, activeskinrect, 0) GW_FONT_KEYS(K) K(I, disabledfontcolor, 0) K(I, activefontcolor, 0)           \
    K(R, buttonrect, 0) K(R, activebuttonrect, 0) K(R, downbuttonrect, 0) K(R, unenabledbuttonrect, 0)
#define GW_KEYS_CHECKLISTBOX(K) K(R, itemcheckrect, 0) K(R, checkimagerect, 0) K(R, uncheckimagerect, 0)
#define GW_KEYS_LISTBOX(K)                                                                                \
    K(R, itemrect, 0) K(R, activeitemrect, 0) K(R, focusitemrect, 0) K(I, itemleftoffset, 0)              \
    K(I, itemrightoffset, 0) K(R, itemtextrect, 0) GW_FONT_KEYS(K) K(I, activefontcolor, 0)               \
    K(I, focusfontcolor, 0) K(R, captionrect, 0) K(S, captionfontname, "Arial")                           \
    K(I, captionfontheight, 14) K(FS, captionfontstyle, 0) K(I, captionfontcolor, 0)                      \
    K(R, upbuttonrect, 0) K(R, activeupbuttonrect, 0) K(R, downupbuttonrect, 0) K(R, downbuttonrect, 0)   \
    K(R, activedownbuttonrect, 0) K(R, downdownbuttonrect, 0) K(R, checkbuttonrect, 0)                    \
    K(R, activecheckbuttonrect, 0) K(R, downcheckbuttonrect, 0) K(S, vscrollbarname, "vscrollbar")        \
    K(S, hscrollbarname, "hscrollbar") K(S, bothhscrollbarname, "bothhscrollbar") K(F, showfocus, 0)
#define GW_KEYS_COMBOBOX(K)                                                                               \
    K(R, activeskinrect, 0) K(R, itemrect, 0) K(R, activeitemrect, 0) K(R, focusitemrect, 0)              \
    K(I, itemleftoffset, 0) K(I, itemrightoffset, 0) K(R, itemtextrect, 0) GW_FONT_KEYS(K)                \
    K(I, focusfontcolor, 0) K(I, activefontcolor, 0) K(S, listboxname, "") K(R, buttonrect, 0)            \
    K(R, activebuttonrect, 0) K(R, downbuttonrect, 0) K(R, unenabledbuttonrect, 0)                        \
    K(F, itemstretcheffect, 0) K(F, focusitemstretcheffect, 0) K(F, showfocus, 0)
#define GW_KEYS_SCROLLBAR(K)                                                                              \
    K(R, trackarea, 0) K(R, upbuttonrect, 0) K(R, activeupbuttonrect, 0) K(R, downupbuttonrect, 0)        \
    K(R, downbuttonrect, 0) K(R, activedownbuttonrect, 0) K(R, downdownbuttonrect, 0) K(R, thumbrect, 0)  \
    K(R, activethumbrect, 0) K(R, downthumbrect, 0) K(I, thumboffset1, 0) K(I, thumboffset2, 0)           \
    K(F, thumbtransparent, 0) K(I, thumbtransparentcolor, 0) K(R, glyphrect, 0) K(R, activeglyphrect, 0)  \
    K(R, downglyphrect, 0)
#define GW_KEYS_SPINEDIT(K)                                                                               \
    K(R, activeskinrect, 0) GW_FONT_KEYS(K) K(I, activefontcolor, 0) K(I, disabledfontcolor, 0)           \
    K(R, upbuttonrect, 0) K(R, activeupbuttonrect, 0) K(R, downupbuttonrect, 0) K(R, downbuttonrect, 0)   \
    K(R, activedownbuttonrect, 0) K(R, downdownbuttonrect, 0)
#define GW_KEYS_SCROLLBOX(K) K(I, bgpictureindex, -1)
#define GW_KEYS_TREEVIEW(K) GW_FONT_KEYS(K) K(I, bgcolor, 0)
#define GW_KEYS_BEVEL(K) K(I, lightcolor, 0) K(I, darkcolor, 0)
#define GW_KEYS_SLIDER(K)                                                                                 \
    K(I, bgcolor, 0) K(R, hrulerrect, 0) K(R, hthumbrect, 0) K(R, vrulerrect, 0) K(R, vthumbrect, 0)      \
    K(I, edgesize, 0) K(I, pointscolor, 0)
#define GW_KEYS_LISTVIEW(K) GW_FONT_KEYS(K) K(I, bgcolor, 0)
#define GW_KEYS_RICHEDIT(K) GW_FONT_KEYS(K) K(I, bgcolor, 0)

#define GW_KEYS_OBJECT(K)                                                                                 \
    K(S, hint, "") K(I, activepictureindex, -1) K(F, skinrectinapicture, 0) K(R, skinrect, 0)             \
    K(R, activeskinrect, 0) K(R, inactiveskinrect, 0) K(F, morphing, 0) K(MK, morphkind, mkDefault)
#define GW_KEYS_MAINMENUITEM(K)                                                                           \
    K(I, itemleftoffset, 0) K(I, itemrightoffset, 0) K(R, downrect, 0) K(R, textrect, 0) GW_FONT_KEYS(K)  \
    K(I, activefontcolor, 0) K(I, downfontcolor, 0) K(I, unenabledfontColor, 0) K(F, stretcheffect, 0)    \
    K(R, animateskinrect, 0) K(I, framecount, 0) K(I, animateinterval, 25) K(F, inactiveanimation, 0)
#define GW_KEYS_MENUITEM(K)                                                                               \
    K(I, itemleftoffset, 0) K(I, itemrightoffset, 0) K(R, dividerrect, 0) K(I, dividerleftoffset, 0)      \
    K(I, dividerrightoffset, 0) K(R, textrect, 0) GW_FONT_KEYS(K) K(I, activefontcolor, 0)                \
    K(I, unenabledfontcolor, 0) K(F, stretcheffect, 0) K(F, inactivestretcheffect, 0)                     \
    K(F, dividerstretcheffect, 0) K(R, animateskinrect, 0) K(I, framecount, 0) K(I, animateinterval, 25)  \
    K(F, inactiveanimation, 0)
#define GW_KEYS_STDBUTTON(K)                                                                              \
    K(C, command, cmDefault) K(R, restorerect, 0) K(R, restoreactiverect, 0) K(R, restoredownrect, 0)     \
    K(R, restoreinactiverect, 0)
#define GW_KEYS_OBJBUTTON(K) K(R, downrect, 0) K(R, disableskinrsect, 0)
#define GW_KEYS_CAPTION(K)                                                                                \
    K(R, textrect, 0) GW_FONT_KEYS(K) K(I, activefontcolor, 0) K(A, alignment, taCenter) K(F, light, 0)   \
    K(I, lightcolor, 0) K(I, activelightcolor, 0) K(F, shadow, 0) K(I, shadowcolor, 0)                    \
    K(I, activeshadowcolor, 0) K(R, framerect, 0) K(R, activeframerect, 0) K(R, frametextrect, 0)         \
    K(I, frameleftoffset, 0) K(I, framerightoffset, 0) K(F, stretcheffect, 0) K(R, animateskinrect, 0)    \
    K(I, framecount, 0) K(I, animateinterval, 25) K(F, inactiveanimation, 0) K(F, fullframe, 0)
#define GW_KEYS_ANIMATE(K)                                                                                \
    K(I, countframes, 1) K(F, cycle, 0) K(F, buttonstyle, 0) K(I, timerinterval, 50)                      \
    K(C, command, cmDefault) K(R, downskinrect, 0)

// ---- Roots -----------------------------------------------------------------------------

// What both descriptor trees share: the section name and the walk over the key table.
class TgwSkinDescriptor : public TObject {
public:
    explicit TgwSkinDescriptor(const AnsiString& sectionName) : SectionName(sectionName) {}
    const char* ClassName() const override { return "TgwSkinDescriptor"; }
    // Reads every key of KeyTable from section SectionName.
    virtual void LoadFromIni(const TCustomIniFile& ini);
    // Erases the section, then writes every key in save order.
    virtual void SaveToIni(TCustomIniFile& ini);
    // The keys of the bases and then of the class, in reading order, bound to this object.
    TgwKeyRefs KeyTable() {
        TgwKeyRefs keys;
        GetKeys(keys);
        return keys;
    }

    AnsiString SectionName;

protected:
    virtual void GetKeys(TgwKeyRefs& keys) = 0;
    // Classes that write a key out of reading order move it here.
    virtual void OrderForSave(TgwKeyRefs& keys) {}
    // Moves key `name` to just before (or after) key `anchor`.
    static void MoveKey(TgwKeyRefs& keys, const char* name, const char* anchor, bool after);
};

#define GW_DESCRIPTOR_BODY(Class, Base, KEYS)                                        \
public:                                                                              \
    explicit Class(const AnsiString& sectionName) : Base(sectionName) {}             \
    const char* ClassName() const override { return #Class; }                        \
    KEYS(GW_DECLARE_FIELD)                                                           \
protected:                                                                           \
    void GetKeys(TgwKeyRefs& keys) override {                                        \
        Base::GetKeys(keys);                                                         \
        KEYS(GW_BIND_KEY)                                                            \
    }

#define GW_DESCRIPTOR(Class, Base, KEYS) \
    class Class : public Base {          \
        GW_DESCRIPTOR_BODY(Class, Base, KEYS) \
    };

class TgwDataSkinControl : public TgwSkinDescriptor {
public:
    explicit TgwDataSkinControl(const AnsiString& sectionName) : TgwSkinDescriptor(sectionName) {}
    const char* ClassName() const override { return "TgwDataSkinControl"; }
    GW_KEYS_CONTROL(GW_DECLARE_FIELD)
protected:
    void GetKeys(TgwKeyRefs& keys) override { GW_KEYS_CONTROL(GW_BIND_KEY) }
};

class TgwDataSkinObject : public TgwSkinDescriptor {
public:
    explicit TgwDataSkinObject(const AnsiString& sectionName) : TgwSkinDescriptor(sectionName) {}
    const char* ClassName() const override { return "TgwDataSkinObject"; }
    GW_KEYS_OBJECT(GW_DECLARE_FIELD)
protected:
    void GetKeys(TgwKeyRefs& keys) override { GW_KEYS_OBJECT(GW_BIND_KEY) }
};

// ---- Control descriptors -----------------------------------------------------------------

GW_DESCRIPTOR(TgwDataSkinCustomControl, TgwDataSkinControl, GW_KEYS_CUSTOMCONTROL)
GW_DESCRIPTOR(TgwDataSkinPanelControl, TgwDataSkinCustomControl, GW_KEYS_PANEL)
GW_DESCRIPTOR(TgwDataSkinExPanelControl, TgwDataSkinCustomControl, GW_KEYS_EXPANEL)
GW_DESCRIPTOR(TgwDataSkinButtonControl, TgwDataSkinCustomControl, GW_KEYS_BUTTON)
GW_DESCRIPTOR(TgwDataSkinMenuButtonControl, TgwDataSkinButtonControl, GW_KEYS_MENUBUTTON)
GW_DESCRIPTOR(TgwDataSkinGaugeControl, TgwDataSkinCustomControl, GW_KEYS_GAUGE)
GW_DESCRIPTOR(TgwDataSkinSplitterControl, TgwDataSkinCustomControl, GW_KEYS_SPLITTER)
GW_DESCRIPTOR(TgwDataSkinTrackBarControl, TgwDataSkinCustomControl, GW_KEYS_TRACKBAR)
GW_DESCRIPTOR(TgwDataSkinLabelControl, TgwDataSkinCustomControl, GW_KEYS_LABEL)
GW_DESCRIPTOR(TgwDataSkinStdLabelControl, TgwDataSkinControl, GW_KEYS_STDLABEL)
GW_DESCRIPTOR(TgwDataSkinGridControl, TgwDataSkinControl, GW_KEYS_GRID)
GW_DESCRIPTOR(TgwDataSkinTabControl, TgwDataSkinControl, GW_KEYS_TAB)
GW_DESCRIPTOR(TgwDataSkinMainMenuBar, TgwDataSkinControl, GW_KEYS_MAINMENUBAR)
GW_DESCRIPTOR(TgwDataSkinControlBar, TgwDataSkinCustomControl, GW_KEYS_CONTROLBAR)
GW_DESCRIPTOR(TgwDataSkinEditControl, TgwDataSkinCustomControl, GW_KEYS_EDIT)
GW_DESCRIPTOR(TgwDataSkinMemoControl, TgwDataSkinEditControl, GW_KEYS_MEMO)
GW_DESCRIPTOR(TgwDataSkinListBox, TgwDataSkinCustomControl, GW_KEYS_LISTBOX)
GW_DESCRIPTOR(TgwDataSkinScrollBarControl, TgwDataSkinCustomControl, GW_KEYS_SCROLLBAR)
GW_DESCRIPTOR(TgwDataSkinSpinEditControl, TgwDataSkinCustomControl, GW_KEYS_SPINEDIT)
GW_DESCRIPTOR(TgwDataSkinScrollBoxControl, TgwDataSkinCustomControl, GW_KEYS_SCROLLBOX)
GW_DESCRIPTOR(TgwDataSkinTreeView, TgwDataSkinControl, GW_KEYS_TREEVIEW)
GW_DESCRIPTOR(TgwDataSkinBevel, TgwDataSkinControl, GW_KEYS_BEVEL)
GW_DESCRIPTOR(TgwDataSkinSlider, TgwDataSkinControl, GW_KEYS_SLIDER)
GW_DESCRIPTOR(TgwDataSkinListView, TgwDataSkinControl, GW_KEYS_LISTVIEW)
GW_DESCRIPTOR(TgwDataSkinRichEdit, TgwDataSkinControl, GW_KEYS_RICHEDIT)

// Writes "framefontcolor" before "activefontcolor".
class TgwDataSkinCheckRadioControl : public TgwDataSkinCustomControl {
    GW_DESCRIPTOR_BODY(TgwDataSkinCheckRadioControl, TgwDataSkinCustomControl, GW_KEYS_CHECKRADIO)
    void OrderForSave(TgwKeyRefs& keys) override { MoveKey(keys, "framefontcolor", "activefontcolor", false); }
};

// Keeps no corner points and no client rectangle: they are zeroed after reading and
// before writing.
class TgwDataSkinUpDownControl : public TgwDataSkinCustomControl {
    GW_DESCRIPTOR_BODY(TgwDataSkinUpDownControl, TgwDataSkinCustomControl, GW_KEYS_UPDOWN)
public:
    void LoadFromIni(const TCustomIniFile& ini) override;
    void SaveToIni(TCustomIniFile& ini) override;
private:
    void ClearFrame();
};

// Writes "uncheckimagerect" before "checkimagerect".
class TgwDataSkinCheckListBox : public TgwDataSkinListBox {
    GW_DESCRIPTOR_BODY(TgwDataSkinCheckListBox, TgwDataSkinListBox, GW_KEYS_CHECKLISTBOX)
    void OrderForSave(TgwKeyRefs& keys) override { MoveKey(keys, "uncheckimagerect", "checkimagerect", false); }
};

// Writes "listboxname" after "unenabledbuttonrect".
class TgwDataSkinComboBox : public TgwDataSkinCustomControl {
    GW_DESCRIPTOR_BODY(TgwDataSkinComboBox, TgwDataSkinCustomControl, GW_KEYS_COMBOBOX)
    void OrderForSave(TgwKeyRefs& keys) override { MoveKey(keys, "listboxname", "unenabledbuttonrect", true); }
};

// ---- Object descriptors --------------------------------------------------------------------

GW_DESCRIPTOR(TgwDataSkinMainMenuItem, TgwDataSkinObject, GW_KEYS_MAINMENUITEM)
GW_DESCRIPTOR(TgwDataSkinMenuItem, TgwDataSkinObject, GW_KEYS_MENUITEM)
GW_DESCRIPTOR(TgwDataSkinButton, TgwDataSkinObject, GW_KEYS_OBJBUTTON)
GW_DESCRIPTOR(TgwDataSkinStdButton, TgwDataSkinButton, GW_KEYS_STDBUTTON)
GW_DESCRIPTOR(TgwDataSkinCaption, TgwDataSkinObject, GW_KEYS_CAPTION)

// Loads and saves exactly as its base.
class TgwDataSkinMainMenuBarItem : public TgwDataSkinMainMenuItem {
public:
    using TgwDataSkinMainMenuItem::TgwDataSkinMainMenuItem;
    const char* ClassName() const override { return "TgwDataSkinMainMenuBarItem"; }
};

class TgwDataSkinMainMenuBarButton : public TgwDataSkinStdButton {
public:
    using TgwDataSkinStdButton::TgwDataSkinStdButton;
    const char* ClassName() const override { return "TgwDataSkinMainMenuBarButton"; }
};

// Never morphs: the flag is cleared once read.
class TgwDataSkinAnimate : public TgwDataSkinObject {
    GW_DESCRIPTOR_BODY(TgwDataSkinAnimate, TgwDataSkinObject, GW_KEYS_ANIMATE)
public:
    void LoadFromIni(const TCustomIniFile& ini) override;
};

// Reads and writes only "skinrect"; the other object fields keep their initial values.
class TgwDataUserObject : public TgwDataSkinObject {
public:
    using TgwDataSkinObject::TgwDataSkinObject;
    const char* ClassName() const override { return "TgwDataUserObject"; }
protected:
    void GetKeys(TgwKeyRefs& keys) override { GW_BIND_KEY(R, skinrect, 0) }
};

// ---- Kinds ---------------------------------------------------------------------------------

// Creates the descriptor for a kind name (exact compare), or null for an unknown kind.
std::unique_ptr<TgwDataSkinControl> CreateSkinControl(const AnsiString& kind, const AnsiString& sectionName);
std::unique_ptr<TgwDataSkinObject> CreateSkinObject(const AnsiString& kind, const AnsiString& sectionName);
// The kind name that creates this descriptor's class ("" for a base class).
AnsiString SkinControlKind(const TgwDataSkinControl& control);
AnsiString SkinObjectKind(const TgwDataSkinObject& object);
// All kind names in comparison order.
std::vector<AnsiString> SkinControlKinds();
std::vector<AnsiString> SkinObjectKinds();
