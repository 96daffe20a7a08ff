// Drop-down lists whose items carry the register field value they stand for.
#pragma once

#include <windows.h>

namespace zkv {

void AddItem(HWND combo, const char* text, ULONG value);
void SelectValue(HWND combo, ULONG value);   // no selection when no item has the value
bool SelectedValue(HWND combo, ULONG* value);  // false when nothing is selected

}  // namespace zkv
