// A form holding one of each control the control skins know, with the variants that change
// their look: disabled, vertical, tabs on every side, and a button with Tag 9999.
#pragma once
#include <memory>
#include <vector>

#include "classlib/gui/bar_controls.h"
#include "classlib/gui/button_controls.h"
#include "classlib/gui/common_controls.h"
#include "classlib/gui/date_time_picker.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/grids.h"
#include "classlib/gui/image_list.h"
#include "classlib/gui/input_controls.h"
#include "classlib/gui/list_controls.h"
#include "classlib/gui/list_view.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/scroll_boxes.h"
#include "classlib/gui/speed_button.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/tool_bar.h"

// The window class stays "TForm" (no ClassName of its own), as a form made from the base class.
class TGalleryForm : public TForm {
public:
    explicit TGalleryForm(TComponent* owner);

    TImageList* Images;   // three coloured squares for tool bar, list view and extended combo

    TToolBar* ToolBar;
    TToolButton* ToolButtons[5];   // button, separator, two grouped check buttons, drop-down
    TCoolBar* CoolBar;
    TStatusBar* StatusBar;

    TButton* Button;
    TButton* ButtonDisabled;
    TButton* ButtonTag9999;
    TCheckBox* CheckBox;            // AllowGrayed
    TCheckBox* CheckBoxDisabled;
    TCheckBox* CheckBoxLeftText;
    TGroupBox* GroupBox;
    TRadioButton* Radio1;           // in the group box
    TRadioButton* Radio2;
    TRadioButton* RadioDisabled;    // on the form
    TSpeedButton* SpeedButton;
    TSpeedButton* SpeedButtonFlat;
    TSpeedButton* SpeedButtonDown;
    TSpeedButton* SpeedButtonDisabled;
    TLabel* Label;
    TEdit* Edit;
    TEdit* EditDisabled;
    TMemo* Memo;
    TCustomMaskEdit* MaskEdit;
    TCustomHotKey* HotKey;

    TComboBox* ComboBox;            // csDropDown
    TComboBox* ComboBoxList;        // csDropDownList
    TComboBox* ComboBoxSimple;      // csSimple
    TComboBox* ComboBoxDisabled;
    TComboBoxEx* ComboBoxEx;
    TListBox* ListBox;
    TDateTimePicker* DatePicker;
    TDateTimePicker* TimePicker;
    TDateTimePicker* TimePickerTag9998;

    TTabControl* TabTop;
    TTabControl* TabBottom;
    TTabControl* TabLeft;
    TTabControl* TabRight;
    TPageControl* PageControl;
    TListView* ListView;
    TCustomTreeView* TreeView;
    TDrawGrid* Grid;

    TTrackBar* TrackBar;
    TTrackBar* TrackBarVertical;
    TTrackBar* TrackBarDisabled;
    TScrollBar* ScrollBar;
    TScrollBar* ScrollBarVertical;
    TScrollBar* ScrollBarDisabled;
    TEdit* UpDownEdit;
    TUpDown* UpDown;                // associated with UpDownEdit
    TUpDown* UpDownHorizontal;
    TUpDown* UpDownDisabled;
    TProgressBar* ProgressBar;
    TProgressBar* ProgressBarVertical;
    TProgressBar* ProgressBarDisabled;

    TPanel* Panel;
    TScrollBox* ScrollBox;
    TCustomFrame* Frame;

private:
    template <class T>
    T* Place(TWinControl* parent, int left, int top, int width = 0, int height = 0);
    TTabControl* MakeTabs(TTabPosition position, int left, int top, int width, int height);
};
