#include "classlib/gui/date_time_picker.h"

#include <commctrl.h>

#include <cmath>

#include "classlib/gui/gui_internal.h"

using gui_internal::NameIn;

namespace {

SYSTEMTIME ToSystemTime(TDateTime v) {
    int year, month, day, hour, minute, second, msec;
    DecodeDate(v, year, month, day);
    DecodeTime(v, hour, minute, second, msec);
    if (year < 1601 || year > 9999) throw EConvertError("Date outside the picker's range");
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    st.wMilliseconds = static_cast<WORD>(msec);
    return st;
}

TDateTime FromSystemTime(const SYSTEMTIME& st) {
    return EncodeDate(st.wYear, st.wMonth, st.wDay) + EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csFixedHeight;
    FTabStop = true;
    FWidth = 186;
    FHeight = 21;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FDateTime = Now();
}

bool TDateTimePicker::HasProperty(const AnsiString& name) const {
    return NameIn(name, {"BevelEdges", "Color", "ParentColor"});
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = DATETIMEPICK_CLASSA;
    if (FKind == dtkTime)
        p.Style |= DTS_TIMEFORMAT;
    else if (FDateMode == dmUpDown)
        p.Style |= DTS_UPDOWN;
    if (FKind == dtkDate && FDateFormat == dfLong) p.Style |= DTS_LONGDATEFORMAT;
}

void TDateTimePicker::HandleCreated() {
    SYSTEMTIME st = ToSystemTime(FDateTime);
    SendMessageA(FHandle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void TDateTimePicker::DestroyWnd() {
    if (HandleAllocated() && !IsDestroying()) FDateTime = GetDateTime();
    TWinControl::DestroyWnd();
}

TDateTime TDateTimePicker::GetDateTime() const {
    if (!HandleAllocated()) return FDateTime;
    SYSTEMTIME st{};
    if (SendMessageA(FHandle, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return FDateTime;
    return FromSystemTime(st);
}

void TDateTimePicker::SetDateTime(TDateTime v) {
    SYSTEMTIME st = ToSystemTime(v);
    FDateTime = FromSystemTime(st);
    if (HandleAllocated()) SendMessageA(FHandle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

TDateTime TDateTimePicker::GetDate() const { return std::floor(GetDateTime()); }

void TDateTimePicker::SetDate(TDateTime v) { SetDateTime(std::floor(v) + GetTime()); }

TDateTime TDateTimePicker::GetTime() const {
    TDateTime v = GetDateTime();
    return v - std::floor(v);
}

void TDateTimePicker::SetTime(TDateTime v) { SetDateTime(GetDate() + (v - std::floor(v))); }

void TDateTimePicker::SetKind(TDateTimeKind v) {
    if (v == FKind) return;
    FDateTime = GetDateTime();
    FKind = v;
    RecreateWnd();
}

void TDateTimePicker::SetDateMode(TDTDateMode v) {
    if (v == FDateMode) return;
    FDateTime = GetDateTime();
    FDateMode = v;
    RecreateWnd();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat v) {
    if (v == FDateFormat) return;
    FDateTime = GetDateTime();
    FDateFormat = v;
    RecreateWnd();
}

void TDateTimePicker::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == static_cast<UINT>(DTN_DATETIMECHANGE)) {
            FDateTime = GetDateTime();
            if (OnChange) OnChange(this);
        }
        m.Result = 0;
        return;
    }
    TWinControl::WndProc(m);
}
