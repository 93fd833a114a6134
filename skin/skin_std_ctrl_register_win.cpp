#include "skin/skin_std_ctrl_register_win.h"

#include "classlib/gui/bar_controls.h"
#include "classlib/gui/button_controls.h"
#include "classlib/gui/common_controls.h"
#include "classlib/gui/date_time_picker.h"
#include "classlib/gui/grids.h"
#include "classlib/gui/input_controls.h"
#include "classlib/gui/list_controls.h"
#include "classlib/gui/list_view.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/scroll_boxes.h"
#include "classlib/gui/speed_button.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/tool_bar.h"
#include "skin/skin_control_bases_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_std_ctrl_button_win.h"
#include "skin/skin_std_ctrl_combo_win.h"
#include "skin/skin_std_ctrl_grid_win.h"
#include "skin/skin_std_ctrl_listview_win.h"
#include "skin/skin_std_ctrl_panel_win.h"
#include "skin/skin_std_ctrl_picker_win.h"
#include "skin/skin_std_ctrl_range_win.h"
#include "skin/skin_std_ctrl_scroll_win.h"
#include "skin/skin_std_ctrl_tabs_win.h"
#include "skin/skin_std_ctrl_toolbar_win.h"

void RegisterStdControlSkins() {
    RegisterSkinControlClass({
        SkinControlRow<TCustomControl, TlumSkinScrollWinControl>(),
        SkinControlRow<TCustomFrame, TlumSkinFrame>(),
        SkinControlRow<TScrollBox, TlumSkinScrollWinControl>(),
        SkinControlRow<TCoolBar, TlumSkinPanel>(),
        SkinControlRow<TToolBar, TlumSkinToolBar>(),
        SkinControlRow<TCustomStatusBar, TlumSkinStatusBar>(),
        SkinControlRow<TDateTimePicker, TlumSkinDateTimePicker>(),
        SkinControlRow<TCustomTreeView, TlumSkinScrollWinControl>(),
        SkinControlRow<TCustomUpDown, TlumSkinUpDown>(),
        SkinControlRow<TCustomHotKey, TlumSkinBorderWinControl>(),
        SkinControlRow<TProgressBar, TlumSkinProgressBar>(),
        SkinControlRow<TTrackBar, TlumSkinTrackBar>(),
        SkinControlRow<TCustomTabControl, TlumSkinTabControl>(),
        SkinControlRow<TCustomGrid, TlumSkinGrid>(),
        SkinControlRow<TSpeedButton, TlumSkinSpeedButton>(),
        SkinControlRow<TCustomPanel, TlumSkinPanel>(),
        SkinControlRow<TCustomGroupBox, TlumSkinGroupBox>(),
        SkinControlRow<TScrollBar, TlumSkinScrollBar>(),
        SkinControlRow<TCustomListControl, TlumSkinScrollWinControl>(),
        SkinControlRow<TCustomListView, TlumSkinListView>(),
        SkinControlRow<TRadioButton, TlumSkinRadioButton>(),
        SkinControlRow<TCustomComboBox, TlumSkinComboBox>(),
        SkinControlRow<TCustomComboBoxEx, TlumSkinComboBoxEx>(),
        SkinControlRow<TCustomCheckBox, TlumSkinCheckBox>(),
        SkinControlRow<TCustomEdit, TlumSkinScrollWinControl>(),
        SkinControlRow<TButton, TlumSkinButton>(),
        SkinControlRow<TLabel, TlumSkinLabel>(),
    });
}
