// The date and time picker.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/date_time.h"
#include "classlib/gui/controls.h"

enum TDateTimeKind : uint8_t { dtkDate, dtkTime };
enum TDTDateMode : uint8_t { dmComboBox, dmUpDown };
enum TDTDateFormat : uint8_t { dfShort, dfLong };

// A date and time picker window of the system class. A date picker drops down a calendar (or
// has up-down buttons in dmUpDown); a time picker always has up-down buttons.
class TDateTimePicker : public TWinControl {
public:
    explicit TDateTimePicker(TComponent* owner);
    const char* ClassName() const override { return "TDateTimePicker"; }
    bool HasProperty(const AnsiString& name) const override;
    TDateTimeKind GetKind() const { return FKind; }
    void SetKind(TDateTimeKind v);
    TDTDateMode GetDateMode() const { return FDateMode; }
    void SetDateMode(TDTDateMode v);
    TDTDateFormat GetDateFormat() const { return FDateFormat; }
    void SetDateFormat(TDTDateFormat v);
    // Date and time of day, whatever the kind shows; whole milliseconds.
    TDateTime GetDateTime() const;
    // Raises EConvertError for a value outside the years 1601 to 9999.
    void SetDateTime(TDateTime v);
    TDateTime GetDate() const;
    void SetDate(TDateTime v);
    TDateTime GetTime() const;
    void SetTime(TDateTime v);
    // The user changed the value.
    TNotifyEvent OnChange;
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void DestroyWnd() override;
    void WndProc(TMessage& message) override;
private:
    TDateTimeKind FKind = dtkDate;
    TDTDateMode FDateMode = dmComboBox;
    TDTDateFormat FDateFormat = dfShort;
    TDateTime FDateTime = 0;
};
