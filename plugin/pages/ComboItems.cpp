#include "ComboItems.h"

namespace zkv {

void AddItem(HWND combo, const char* text, ULONG value) {
    const LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendMessageA(combo, CB_SETITEMDATA, index, value);
}

void SelectValue(HWND combo, ULONG value) {
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    LRESULT selected = -1;
    for (LRESULT i = 0; i < count; ++i)
        if (static_cast<ULONG>(SendMessageA(combo, CB_GETITEMDATA, i, 0)) == value) selected = i;
    SendMessageA(combo, CB_SETCURSEL, selected, 0);
}

bool SelectedValue(HWND combo, ULONG* value) {
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index < 0) return false;
    *value = static_cast<ULONG>(SendMessageA(combo, CB_GETITEMDATA, index, 0));
    return true;
}

}  // namespace zkv
