// <windows.h> for the class library's headers. The system header makes macros of names that
// are also our methods' (TStrings::GetObject, TCanvas::TextOut and DrawText,
// TApplication::MessageBox); they are removed here so that every file sees the same names.
// Call the system functions by their A names (TextOutA, DrawTextA, MessageBoxA, GetObjectA).
#pragma once
#include <windows.h>

#undef GetObject
#undef TextOut
#undef DrawText
#undef MessageBox
